#include "ui/zrWindowRun.h"

#include <QApplication>
#include <QThread>
#include <stdexcept>

#include "project/zrProject.h"
#include "shell/zrInfo.h"
#include "ui/zrFormMain.h"
#include "ui/zrPickersQt.h"
#include "ui/zrVantileAbout.h"

namespace vantile::ui {

TzrFrmMain* zrFrmMain = nullptr;
TzrFrmVantileAbout* zrFrmVantileAbout = nullptr;

namespace {

// Exceptions that reach the event loop go to the application-wide handler; the
// program goes on.
class TzrApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            if (Info) {
                Info->AppException(std::current_exception());
            }
            return false;
        }
    }
};

}  // namespace

platform::MainThreadInvoker UiThreadInvoker() {
    return [](const platform::MainThreadCall& call) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread()) {
            call();
            return;
        }
        std::exception_ptr error;
        QMetaObject::invokeMethod(
            app,
            [&call, &error] {
                try {
                    call();
                } catch (...) {
                    error = std::current_exception();
                }
            },
            Qt::BlockingQueuedConnection);
        if (error) {
            std::rethrow_exception(error);
        }
    };
}

int RunWindow(int& argc, char** argv) {
    if (!Project) {
        throw std::logic_error("The window run needs the project");
    }
    TzrApplication app(argc, argv);
    app.setApplicationName(qs(Project->FTitle));
    app.setWindowIcon(QIcon(QStringLiteral(":/vantile/icons/about-product.svg")));
    platform::ScopedMainThreadInvoker invoker(UiThreadInvoker());
    TzrScopedPickersQt pickers;

    TzrLinkOpener openLink = [](const std::string& Page, const std::string& Action,
                                const std::string& Extra) {
        if (Info) {
            Info->OpenLink(Page, Action, Extra);
        }
    };
    auto mainForm = std::make_unique<TzrFrmMain>(*Project, openLink);
    mainForm->SetErrorHandler([](const std::string& message) {
        if (Info) {
            Info->AppException(std::runtime_error(message));
        }
    });
    zrFrmMain = mainForm.get();
    auto about = std::make_unique<TzrFrmVantileAbout>(*Project, mainForm.get());
    zrFrmVantileAbout = about.get();
    mainForm->SetAboutBox(about.get());
    about->ShowAbout();

    mainForm->show();
    const int status = app.exec();

    zrFrmVantileAbout = nullptr;
    about.reset();
    zrFrmMain = nullptr;
    mainForm.reset();
    return status;
}

}  // namespace vantile::ui
