#include "ui/zrFormCfg.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vantile::ui {

TzrFrmCfg::TzrFrmCfg(TzrProject& Project, TzrLinkOpener OpenLink, QWidget* parent)
    : TzrFrmBase(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FProject(Project),
      FOpenLink(std::move(OpenLink)) {
    setObjectName(QStringLiteral("zrFrmCfg"));
    setWindowTitle(QStringLiteral("Config"));
    setFixedSize(292, 273);

    txtCfg = new QPlainTextEdit(this);
    txtCfg->setObjectName(QStringLiteral("txtCfg"));
    txtCfg->setGeometry(16, 16, 256, 200);
    txtCfg->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCfg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCfg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCfg->setToolTip(QStringLiteral("Please add/delete/modify the options by yourself"));
    txtCfg->setStatusTip(txtCfg->toolTip());

    btnHelp = new QPushButton(QStringLiteral("Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setGeometry(16, 233, 72, 25);
    btnHelp->setToolTip(QStringLiteral("Click here to see the details about the options"));
    btnHelp->setStatusTip(btnHelp->toolTip());
    btnHelp->setAutoDefault(false);

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(120, 233, 72, 25);
    btnOk->setAutoDefault(false);

    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(200, 233, 72, 25);
    btnCancel->setAutoDefault(false);

    setTabOrder(txtCfg, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, btnHelp);

    connect(btnOk, &QPushButton::clicked, this, &TzrFrmCfg::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(btnHelp, &QPushButton::clicked, this, &TzrFrmCfg::btnHelpClick);
}

void TzrFrmCfg::FormShow() {
    FProject.Commit(false);
    QStringList lines;
    for (const std::string& line : FProject.OptionLines()) {
        lines << qs(line);
    }
    txtCfg->setPlainText(lines.join(QLatin1Char('\n')));
    txtCfg->setFocus();
}

void TzrFrmCfg::btnOkClick() {
    std::vector<std::string> lines;
    QStringList typed = txtCfg->toPlainText().split(QLatin1Char('\n'));
    // A final line break adds no empty option line.
    if (!typed.isEmpty() && typed.last().isEmpty()) {
        typed.removeLast();
    }
    for (const QString& line : typed) {
        lines.push_back(us(line));
    }
    FProject.SetOptionLines(std::move(lines));
    FProject.OptionsToControls();
    close();
}

void TzrFrmCfg::btnHelpClick() {
    if (FOpenLink) {
        FOpenLink("h", "", "");
    }
}

void TzrFrmCfg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    TzrFrmBase::keyPressEvent(event);
}

}  // namespace vantile::ui
