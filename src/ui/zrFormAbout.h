#pragma once
// The about box: a borderless, semi-transparent box with the product's title and
// version over a picture; a click or a key closes it.

#include <QPointer>

#include "ui/zrFormBase.h"

class QLabel;

namespace vantile {
class TzrProject;
}

namespace vantile::ui {

class TzrFrmAbout : public TzrFrmBase {
    Q_OBJECT

  public:
    // MainForm is the window that a PureConsole project keeps invisible.
    TzrFrmAbout(TzrProject& Project, QWidget* MainForm, QWidget* parent = nullptr);

    // The first call (at start-up) shows nothing; later calls show the box
    // modally and return when it is closed.
    void ShowAbout();
    int ShowCount() const { return FShowCount; }

  protected:
    void FormShow() override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void FormClick();
    void FormKeyPress();

    QLabel* img;
    QLabel* lblProduct;
    QLabel* lblVersion;
    QLabel* lblCopright;

  private:
    TzrProject& FProject;
    QPointer<QWidget> FMainForm;
    int FShowCount = 0;
};

}  // namespace vantile::ui
