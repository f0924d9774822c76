#pragma once
// The product's about box: the base box with the product picture.

#include "ui/zrFormAbout.h"

namespace vantile::ui {

class TzrFrmVantileAbout : public TzrFrmAbout {
    Q_OBJECT

  public:
    TzrFrmVantileAbout(TzrProject& Project, QWidget* MainForm, QWidget* parent = nullptr);
};

}  // namespace vantile::ui
