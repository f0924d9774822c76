#include "ui/zrPickersQt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "ui/zrFormBase.h"

namespace vantile::ui {

namespace {

// Everything up to and including the last "/"; empty when there is none.
QString FolderPart(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QWidget* Owner() {
    QWidget* w = QApplication::activeWindow();
    if (!w) {
        const QWidgetList tops = QApplication::topLevelWidgets();
        for (QWidget* t : tops) {
            if (t->isVisible()) {
                return t;
            }
        }
    }
    return w;
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    if (result.isEmpty()) {
        result << QStringLiteral("All files (*)");
    }
    return result;
}

void TzrPickersQt::SelectFolder(const std::string& Start, std::string& Result) {
    Result = Start;
    QFileDialog dialog(Owner());
    dialog.setObjectName(QStringLiteral("dlgSelectFolder"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString start = qs(Start);
    if (!start.isEmpty()) {
        // Open the parent and select the starting folder itself.
        QString trimmed = start;
        while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/'))) {
            trimmed.chop(1);
        }
        const QFileInfo info(trimmed);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName().isEmpty() ? trimmed : info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty() && !chosen.first().isEmpty()) {
        Result = us(QDir::cleanPath(chosen.first()));
    }
}

bool TzrPickersQt::SelectFiles(const std::string& Filter, std::string& Name, bool Multi) {
    QFileDialog dialog(Owner());
    dialog.setObjectName(QStringLiteral("dlgSelectFiles"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(Multi ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(Filter));
    QString start = qs(Name);
    start.replace(QLatin1Char('?'), QLatin1Char('*'));
    if (!start.isEmpty()) {
        const QString folder = FolderPart(start);
        if (!folder.isEmpty()) {
            dialog.setDirectory(folder);
        }
        const QString file = start.mid(folder.size());
        // A mask names no file; the filter already lists what it would match.
        if (!file.isEmpty() && !file.contains(QLatin1Char('*'))) {
            dialog.selectFile(file);
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return false;
    }
    if (Multi) {
        std::string text;
        for (const QString& path : chosen) {
            text += us(path) + "\r\n";
        }
        Name = text;
    } else {
        Name = us(chosen.first());
    }
    return true;
}

bool TzrPickersQt::SelectSaveFile(const std::string& Filter, const std::string& DefExt, std::string& Name) {
    QFileDialog dialog(Owner());
    dialog.setObjectName(QStringLiteral("dlgSelectSaveFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(Filter));
    QString ext = qs(DefExt);
    if (ext.startsWith(QLatin1Char('.'))) {
        ext.remove(0, 1);
    }
    dialog.setDefaultSuffix(ext);
    const QString start = qs(Name);
    if (!start.isEmpty()) {
        const QString folder = FolderPart(start);
        if (!folder.isEmpty()) {
            dialog.setDirectory(folder);
        }
        dialog.selectFile(start.mid(folder.size()));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) {
        return false;
    }
    Name = us(chosen.first());
    return true;
}

}  // namespace vantile::ui
