#include "ui/zrVantileAbout.h"

#include <QLabel>

namespace vantile::ui {

TzrFrmVantileAbout::TzrFrmVantileAbout(TzrProject& Project, QWidget* MainForm, QWidget* parent)
    : TzrFrmAbout(Project, MainForm, parent) {
    setObjectName(QStringLiteral("zrFrmVantileAbout"));
    const QPixmap picture(QStringLiteral(":/vantile/icons/about-product.svg"));
    img->setScaledContents(false);
    img->setAttribute(Qt::WA_TranslucentBackground);
    img->setPixmap(picture);
    img->setGeometry(16, 16, picture.width(), picture.height());
}

}  // namespace vantile::ui
