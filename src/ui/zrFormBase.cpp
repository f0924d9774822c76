#include "ui/zrFormBase.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QFontInfo>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>

// The window layer is a static library: its resources need an explicit start.
static void InitWindowResources() {
    Q_INIT_RESOURCE(resources);
}

namespace vantile::ui {

QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string us(const QString& text) {
    return text.toUtf8().toStdString();
}

TzrFrmBase::TzrFrmBase(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    static const bool resources = (InitWindowResources(), true);
    (void)resources;
    setGeometry(100, 100, 1200, 600);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    // Tahoma 8 pt at 96 dpi is 11 pixels; the fallback keeps the metrics where
    // Tahoma is not installed.
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    f.setStyleHint(QFont::SansSerif);
    if (!QFontInfo(f).family().startsWith(QStringLiteral("Tahoma"))) {
        // A stand-in for the narrow Tahoma: its condensed face where there is one.
        f.setStretch(QFont::SemiCondensed);
    }
    setFont(f);
}

TzrFrmBase::~TzrFrmBase() {
    if (FModalLoop) {
        FModalLoop->quit();
    }
}

void TzrFrmBase::ShowModal() {
    if (FModalLoop) {
        return;
    }
    const Qt::WindowModality old = windowModality();
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    FModalLoop = &loop;
    show();
    raise();
    activateWindow();
    if (isVisible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    FModalLoop = nullptr;
    setWindowModality(old);
}

void TzrFrmBase::CentreOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TzrFrmBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        CentreOnScreen();
        FormShow();
    }
}

void TzrFrmBase::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
}

void TzrFrmBase::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (FModalLoop && !event->spontaneous()) {
        FModalLoop->quit();
    }
}

}  // namespace vantile::ui
