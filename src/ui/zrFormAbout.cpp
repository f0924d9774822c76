#include "ui/zrFormAbout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>

#include "project/zrProject.h"

namespace vantile::ui {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, int pixelSize, bool bold) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    QFont f(QStringLiteral("Verdana"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(221, 221, 221));
    label->setPalette(pal);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

}  // namespace

TzrFrmAbout::TzrFrmAbout(TzrProject& Project, QWidget* MainForm, QWidget* parent)
    : TzrFrmBase(parent, Qt::Window | Qt::FramelessWindowHint), FProject(Project), FMainForm(MainForm) {
    setObjectName(QStringLiteral("zrFrmAbout"));
    setFixedSize(472, 243);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 85, 255));
    setPalette(pal);
    setWindowOpacity(200.0 / 255.0);
    QFont f(QStringLiteral("Verdana"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    setFont(f);

    img = new QLabel(this);
    img->setObjectName(QStringLiteral("img"));
    img->setGeometry(40, 40, 80, 80);
    img->setScaledContents(true);
    img->setPixmap(QPixmap(QStringLiteral(":/vantile/icons/about-base.svg")));

    lblProduct = MakeLabel(this, "lblProduct", QRect(163, 40, 250, 50), 21, true);
    lblProduct->setAlignment(Qt::AlignCenter);
    lblProduct->setWordWrap(true);
    lblVersion = MakeLabel(this, "lblVersion", QRect(176, 96, 224, 16), 13, true);
    lblVersion->setAlignment(Qt::AlignCenter);
    lblCopright = MakeLabel(this, "lblCopright", QRect(184, 208, 264, 16), 13, false);
    lblCopright->setText(QStringLiteral("Copyright \u00A9 Gridfall Software"));

    for (QLabel* label : {img, lblProduct, lblVersion, lblCopright}) {
        label->installEventFilter(this);
    }
}

void TzrFrmAbout::ShowAbout() {
    if (FShowCount == 0) {
        if (FProject.PureConsole() && FMainForm) {
            FMainForm->setWindowOpacity(0.0);
            // Without a compositor an X11 window ignores its opacity: the window is
            // then never mapped at all, while it still counts as shown.
            FMainForm->setAttribute(Qt::WA_DontShowOnScreen, true);
        }
    } else {
        ShowModal();
    }
    ++FShowCount;
}

void TzrFrmAbout::FormShow() {
    if (lblProduct->text().isEmpty()) {
        // A label shows "&" as such: no accelerator handling in QLabel's plain text.
        lblProduct->setTextFormat(Qt::PlainText);
        lblProduct->setText(qs(FProject.FTitle));
        lblVersion->setTextFormat(Qt::PlainText);
        lblVersion->setText(qs(FProject.FVersion));
    }
    ++FShowCount;
    setFocus();
}

void TzrFrmAbout::FormClick() {
    if (FShowCount > 1) {
        close();
    }
}

void TzrFrmAbout::FormKeyPress() {
    FormClick();
}

void TzrFrmAbout::mousePressEvent(QMouseEvent* event) {
    event->accept();
    FormClick();
}

void TzrFrmAbout::keyPressEvent(QKeyEvent* event) {
    event->accept();
    FormKeyPress();
}

bool TzrFrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        FormClick();
        return true;
    }
    return TzrFrmBase::eventFilter(watched, event);
}

}  // namespace vantile::ui
