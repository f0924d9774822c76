// The main window's controls and handlers that do not run a batch, the options
// dialog and the about box.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>
#include <functional>

#include "platform/text_file.h"
#include "ui/zrFormCfg.h"
#include "ui/zrFormMain.h"
#include "ui/zrVantileAbout.h"
#include "ui_test_support.h"

using namespace vantile;
using namespace vantile::ui;

namespace {

// Runs Check on the next modal window once it is shown.
void OnNextModal(std::function<void(QWidget*)> check) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            check(modal);
        }
    });
    timer->start();
}

QStringList RowNames(TzrFrmMain& w) {
    w.FlushRows();
    QStringList names;
    for (int i = 0; i < w.Rows()->rowCount(); ++i) {
        names << w.Rows()->Row(i).FileName;
    }
    return names;
}

}  // namespace

class TestForms : public QObject {
    Q_OBJECT

  private slots:
    void componentsCarryTheirNames();
    void captionFollowsTheProjectFile();
    void sourceFolderPickerCancelled();
    void filesPickedBecomeRows();
    void dropsOnTheListAndTheEditBoxes();
    void dropEventOnTheList();
    void recentProjectsMenu();
    void optionsDialogOkAppliesCancelDoesNot();
    void aboutBox();
    void pureConsoleKeepsTheWindowInvisible();
};

void TestForms::componentsCarryTheirNames() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    for (const char* name :
         {"ToolBar",     "tbOpen",     "tbNew",      "tbConfig", "tbSave",         "tbSaveAs", "tbUpdate",
          "tbHelp",      "tbHomePage", "tbSupports", "tbAbout",  "pAction",        "pSource",  "pTarget",
          "pOthers",     "pSpacer",    "pViewer",    "eSource",  "eTarget",        "cSubdir",  "bSource",
          "bSourceFile", "bSearch",    "bTarget",    "bView",    "bSearchConvert", "bCreate",  "lViewer"}) {
        QVERIFY2(w.findChild<QWidget*>(QLatin1String(name)), name);
    }
    QCOMPARE(w.findChild<QAction*>(QStringLiteral("aConvert"))->text(), QStringLiteral("&Convert"));
    QCOMPARE(w.findChild<QAction*>(QStringLiteral("aConvert"))->toolTip(),
             QStringLiteral("Convert the file(s) instantly"));
    QCOMPARE(w.findChild<QAction*>(QStringLiteral("aStop"))->text(), QStringLiteral("Sto&p"));
    QVERIFY(!w.aSearchConvert->isVisible());
    QVERIFY(w.bSearchConvert->isHidden());
    QCOMPARE(w.bCreate->text(), QStringLiteral("&Convert"));
    QCOMPARE(w.cSubdir->text(), QStringLiteral("Su&b folders"));
    QCOMPARE(w.eSource->property("Hint").toString(), QStringLiteral("Text"));
    QCOMPARE(w.cSubdir->property("Hint").toString(), QStringLiteral("Checked"));
    QVERIFY(w.eSource->toolTip().isEmpty());
    QCOMPARE(w.Rows()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("@"));
    QCOMPARE(w.Rows()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("File Name"));
    QCOMPARE(w.Rows()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Result"));
    QStringList entries;
    for (QAction* a : w.pm1->actions()) {
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    QCOMPARE(entries.join(QLatin1Char('|')),
             QStringLiteral("Browse Files|-|View  Source|Open Source|-|View  Output|-|Export the List"));
    // The product links go to the opener with their page names.
    w.aHelp->trigger();
    w.aUpdate->trigger();
    w.aHomePage->trigger();
    w.aSupports->trigger();
    QCOMPARE(env.Links, (std::vector<std::string>{"h||", "download||", "||", "supports||"}));
}

void TestForms::captionFollowsTheProjectFile() {
    test::TWindowEnv env;
    test::TScriptedPickers pickers;
    TzrFrmMain w(env.Project(), env.Opener());
    // Start-up names the default project beside the program; a new project has no file.
    QCOMPARE(w.windowTitle(),
             QString::fromStdString("Gridfall Converter - " + env.Dir() + "vantile.batch-vantile"));
    w.aNew->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Gridfall Converter - None"));
    const std::string file = env.Dir() + "saved.batch-vantile";
    pickers.Saves.push_back(file);
    w.eSource->setText(QStringLiteral("/in/*.doc?"));
    w.aSaveAs->trigger();
    QCOMPARE(w.windowTitle(), QString::fromStdString("Gridfall Converter - " + file));
    const auto lines = platform::ReadTextLines(file);
    QVERIFY(std::find(lines.begin(), lines.end(), "Source=/in/*.doc?") != lines.end());
}

void TestForms::sourceFolderPickerCancelled() {
    test::TWindowEnv env;
    test::TScriptedPickers pickers;
    TzrFrmMain w(env.Project(), env.Opener());
    w.bSource->click();
    QCOMPARE(w.eSource->text(), QStringLiteral("/*.doc?"));
    QCOMPARE(w.eTarget->text(), QStringLiteral("/"));
    // A chosen folder: the mask is appended; a set target stays.
    pickers.Folders.push_back("/data/in");
    w.bSource->click();
    QCOMPARE(w.eSource->text(), QStringLiteral("/data/in/*.doc?"));
    QCOMPARE(w.eTarget->text(), QStringLiteral("/"));
    QCOMPARE(pickers.Calls.back(), std::string("Folder:/"));
    // The target's picker starts from the target box.
    pickers.Folders.push_back("/data/out");
    w.bTarget->click();
    QCOMPARE(w.eTarget->text(), QStringLiteral("/data/out/"));
    QCOMPARE(pickers.Calls.back(), std::string("Folder:/"));
}

void TestForms::filesPickedBecomeRows() {
    test::TWindowEnv env;
    test::TScriptedPickers pickers;
    TzrFrmMain w(env.Project(), env.Opener());
    const std::string a = env.Write("in/a.doc"), b = env.Write("in/b.docx"), c = env.Write("in/c.doc");
    w.eSource->setText(QStringLiteral("/old/*.doc?"));
    pickers.Files.push_back(a + "\r\n" + b + "\r\n" + c + "\r\n");
    w.bSourceFile->click();
    QCOMPARE(pickers.Calls.back(), std::string("Files:/old/*.doc?"));
    QCOMPARE(w.eSource->text(), QStringLiteral("/old/*.doc?"));
    QCOMPARE(RowNames(w),
             (QStringList{QString::fromStdString(a), QString::fromStdString(b), QString::fromStdString(c)}));
    QCOMPARE(w.eTarget->text(), QString::fromStdString(env.Dir() + "in/"));
    // One file: the source box takes it. A double-click opens the file picker too.
    pickers.Files.push_back(a + "\r\n");
    QTest::mouseDClick(w.eSource, Qt::LeftButton);
    QCOMPARE(pickers.Calls.back(), std::string("Files:/old/*.doc?"));
    QCOMPARE(w.eSource->text(), QString::fromStdString(a));
    QCOMPARE(RowNames(w), QStringList{QString::fromStdString(a)});
    // Cancelled: nothing changes.
    w.bSourceFile->click();
    QCOMPARE(RowNames(w), QStringList{QString::fromStdString(a)});
}

void TestForms::dropsOnTheListAndTheEditBoxes() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    const QString a = QString::fromStdString(env.Write("a.doc")),
                  b = QString::fromStdString(env.Write("b.doc")),
                  c = QString::fromStdString(env.Write("c.doc"));
    const std::string projectFile =
        env.Write("p.batch-vantile", "Source=/from/project/*.doc?\r\nTarget=/t/\r\n");

    w.DropFiles(w.lViewer, {a, b});
    QCOMPARE(RowNames(w), (QStringList{a, b}));
    // Three files on the source box: only the first counts, the list stays.
    w.eTarget->clear();
    w.DropFiles(w.eSource, {c, a, b});
    QCOMPARE(w.eSource->text(), c);
    QCOMPARE(w.eTarget->text(), QString::fromStdString(env.Dir()));
    QCOMPARE(RowNames(w), (QStringList{a, b}));
    // Check box and buttons take no drops.
    w.DropFiles(w.cSubdir, {c});
    w.DropFiles(w.bSearch, {c});
    QCOMPARE(RowNames(w), (QStringList{a, b}));
    QCOMPARE(w.eSource->text(), c);
    // One project file on the list opens it; list and caption stay.
    const QString caption = w.windowTitle();
    w.DropFiles(w.lViewer, {QString::fromStdString(projectFile)});
    QCOMPARE(w.eSource->text(), QStringLiteral("/from/project/*.doc?"));
    QCOMPARE(w.eTarget->text(), QStringLiteral("/t/"));
    QCOMPARE(RowNames(w), (QStringList{a, b}));
    QCOMPARE(w.windowTitle(), caption);
    // Two project files are two tasks.
    w.DropFiles(w.lViewer, {QString::fromStdString(projectFile), QString::fromStdString(projectFile)});
    QCOMPARE(RowNames(w).size(), 2);
    QCOMPARE(w.eSource->text(), QStringLiteral("/from/project/*.doc?"));
}

void TestForms::dropEventOnTheList() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString a = QString::fromStdString(env.Write("x/a.doc")),
                  folder = QString::fromStdString(env.Dir() + "x");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(folder)});
    QWidget* viewport = w.lViewer->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    // A dropped folder is a task of its own.
    QCOMPARE(RowNames(w), (QStringList{a, folder}));
    // The same drop on a button is refused.
    QDragEnterEvent refused(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(w.bSearch, &refused);
    QVERIFY(!refused.isAccepted());
}

void TestForms::recentProjectsMenu() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    const std::string existing = env.Write("r1.batch-vantile", "Source=/recent/*.doc?\r\n");
    const std::string missing = env.Dir() + "gone & lost.batch-vantile";
    env.Project().FRecent = {missing, existing};
    w.pm2Popup();
    const QList<QAction*> entries = w.pm2->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->data().toString(), QString::fromStdString(missing));
    QVERIFY(!entries[0]->isEnabled());
    QVERIFY(entries[1]->isEnabled());
    entries[1]->trigger();
    QCOMPARE(w.eSource->text(), QStringLiteral("/recent/*.doc?"));
    QCOMPARE(w.windowTitle(), QString::fromStdString("Gridfall Converter - " + existing));
    env.Project().FRecent.clear();
    w.pm2Popup();
    QVERIFY(w.pm2->actions().isEmpty());
}

void TestForms::optionsDialogOkAppliesCancelDoesNot() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    w.eSource->setText(QStringLiteral("/in/*.doc?"));
    w.cSubdir->setChecked(true);
    QString shown;
    OnNextModal([&shown](QWidget* dialog) {
        auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("txtCfg"));
        shown = text->toPlainText();
        text->setPlainText(QStringLiteral("Subdir=False\nThreadsCount=3\nnot an option line"));
        dialog->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    w.aConfig->trigger();
    QCOMPARE(shown, QStringLiteral("Source=/in/*.doc?\nSubdir=True"));
    QCOMPARE(w.eSource->text(), QString());
    QVERIFY(!w.cSubdir->isChecked());
    QCOMPARE(env.Project().GetValue("ThreadsCount"), std::string("3"));
    QCOMPARE(env.Project().OptionLines().back(), std::string("not an option line"));

    OnNextModal([&shown](QWidget* dialog) {
        auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("txtCfg"));
        shown = text->toPlainText();
        text->setPlainText(QStringLiteral("Source=/changed/"));
        dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    w.aConfig->trigger();
    QCOMPARE(shown, QStringLiteral("Subdir=False\nThreadsCount=3\nnot an option line"));
    QCOMPARE(env.Project().GetValue("Source"), std::string());
    QCOMPARE(env.Project().GetValue("ThreadsCount"), std::string("3"));
    // Help stays open and opens the help page.
    OnNextModal([&env](QWidget* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("btnHelp"))->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(env.Links.back(), std::string("h||"));
        dialog->close();
    });
    w.aConfig->trigger();
}

void TestForms::aboutBox() {
    test::TWindowEnv env;
    env.Project().FTitle = "Grid & Fall";
    TzrFrmMain w(env.Project(), env.Opener());
    TzrFrmVantileAbout about(env.Project(), &w);
    w.SetAboutBox(&about);
    about.ShowAbout();  // the start-up call shows nothing
    QVERIFY(!about.isVisible());
    QCOMPARE(w.windowOpacity(), 1.0);
    QVERIFY(!w.testAttribute(Qt::WA_DontShowOnScreen));
    QString product, version;
    OnNextModal([&](QWidget* box) {
        product = box->findChild<QLabel*>(QStringLiteral("lblProduct"))->text();
        version = box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
        QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("lblVersion")), Qt::LeftButton);
    });
    w.aAbout->trigger();
    QVERIFY(!about.isVisible());
    QCOMPARE(product, QStringLiteral("Grid & Fall"));
    QCOMPARE(version, QStringLiteral("2018.10.1011.2557"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lblProduct"))->textFormat(), Qt::PlainText);
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("img"))->pixmap().size(), QSize(128, 128));
    for (int key : {int(Qt::Key_Escape), int(Qt::Key_Return), int(Qt::Key_A)}) {
        OnNextModal([key](QWidget* box) { QTest::keyClick(box, Qt::Key(key)); });
        about.ShowAbout();
        QVERIFY(!about.isVisible());
    }
}

void TestForms::pureConsoleKeepsTheWindowInvisible() {
    test::TWindowEnv env;
    env.Project().SetValue("PureConsole", "True");
    TzrFrmMain w(env.Project(), env.Opener());
    TzrFrmVantileAbout about(env.Project(), &w);
    about.ShowAbout();
    QCOMPARE(w.windowOpacity(), 0.0);
    QVERIFY(w.testAttribute(Qt::WA_DontShowOnScreen));
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestForms)
#include "test_ui_forms.moc"
