#pragma once
// The options dialog: the project's whole option list as plain text.

#include "project/zrProject.h"
#include "ui/zrFormBase.h"

class QPlainTextEdit;
class QPushButton;

namespace vantile::ui {

class TzrFrmCfg : public TzrFrmBase {
    Q_OBJECT

  public:
    TzrFrmCfg(TzrProject& Project, TzrLinkOpener OpenLink, QWidget* parent = nullptr);

  protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void btnOkClick();
    void btnHelpClick();

    TzrProject& FProject;
    TzrLinkOpener FOpenLink;
    QPlainTextEdit* txtCfg;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
};

}  // namespace vantile::ui
