#pragma once
// The common base of the program's forms: the shared look (position, size,
// colours, font, hints) and modal showing.

#include <QWidget>

class QEventLoop;

namespace vantile::ui {

// Text of a core (UTF-8) string as Qt text and back.
QString qs(const std::string& text);
std::string us(const QString& text);

class TzrFrmBase : public QWidget {
    Q_OBJECT

  public:
    explicit TzrFrmBase(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~TzrFrmBase() override;

    // Shows the form application-modal and returns when it has been closed.
    void ShowModal();
    bool IsShowingModal() const { return FModalLoop != nullptr; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Runs at each showing, after the form has been centred.
    virtual void FormShow() {}

  private:
    void CentreOnScreen();

    QEventLoop* FModalLoop = nullptr;
};

}  // namespace vantile::ui
