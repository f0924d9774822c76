// Takes pictures of the program's windows: the main window during and after a
// run, the options dialog and the about box. Run by tools/screenshots.sh.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

#include "automation/registry.h"
#include "conversion/zrVANTILE.h"
#include "ui/zrFormCfg.h"
#include "ui/zrFormMain.h"
#include "ui/zrVantileAbout.h"
#include "ui_test_support.h"

using namespace vantile;
using namespace vantile::ui;

namespace {

void WaitUntil(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QCoreApplication::processEvents();
}

bool Save(QWidget* w, const QString& folder, const char* name) {
    QCoreApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.toUtf8().constData());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    test::TWindowEnv env;
    for (int i = 1; i <= 24; ++i) {
        const std::string name = "reports/Quarter " + std::to_string((i - 1) % 4 + 1) + " report " +
                                 std::to_string(i) + (i % 3 ? ".docx" : ".doc");
        env.Write(i == 7 || i == 15 ? "reports/bad scan " + std::to_string(i) + ".doc" : name,
                  test::MinimalDocx("Item", "Amount", "Paper", std::to_string(i * 10)));
    }
    TzrFrmMain w(env.Project(), env.Opener());
    env.Project().NewProject();
    env.Project().SetValue("ThreadsCount", "2");
    TzrFrmVantileAbout about(env.Project(), &w);
    w.SetAboutBox(&about);
    about.ShowAbout();
    w.show();
    w.eSource->setText(QString::fromStdString(env.Dir() + "reports/*.doc?"));
    w.cSubdir->setChecked(true);
    w.eTarget->setText(QString::fromStdString(env.Dir() + "workbooks/"));
    bool ok = Save(&w, out, "main-idle.png");

    test::TFakeConvertor::Gate.Allow(9);
    w.aConvert->trigger();
    WaitUntil([&] { return test::TFakeConvertor::Gate.Waiting() == 2 && w.Batch()->Finished(); });
    w.FlushRows();
    ok = Save(&w, out, "main-running.png") && ok;
    test::TFakeConvertor::Gate.Open();
    WaitUntil([&] { return w.Running() == 0; });
    w.lViewer->selectionModel()->select(w.Rows()->index(6, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ok = Save(&w, out, "main-finished.png") && ok;

    TzrFrmCfg cfg(env.Project(), env.Opener());
    cfg.show();
    ok = Save(&cfg, out, "options.png") && ok;
    cfg.close();

    QTimer::singleShot(200, &about, [&] {
        ok = Save(&about, out, "about.png") && ok;
        about.close();
    });
    about.ShowAbout();
    return ok ? 0 : 1;
}
