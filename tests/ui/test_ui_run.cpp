// Running a batch from the main window: search, convert, pause, stop, the rows,
// the export, the failure report and the unattended modes.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

#include "automation/registry.h"
#include "batch/zrBatch.h"
#include "conversion/zrVANTILE.h"
#include "platform/text_file.h"
#include "ui/zrFormMain.h"
#include "ui_test_support.h"

using namespace vantile;
using namespace vantile::ui;
using test::TFakeConvertor;

namespace {

constexpr int kWait = 30000;

// The rows' icon indexes, separated by blanks.
QString Statuses(TzrFrmMain& w) {
    w.FlushRows();
    QStringList s;
    for (int i = 0; i < w.Rows()->rowCount(); ++i) {
        s << QString::number(w.Rows()->Row(i).Status);
    }
    return s.join(QLatin1Char(' '));
}

int DoneRows(TzrFrmMain& w) {
    const QString s = Statuses(w);
    return static_cast<int>(s.count(QLatin1Char('1')) + s.count(QLatin1Char('2')));
}

// Rows agree with the batch's tasks, index by index.
bool RowsMatchTasks(TzrFrmMain& w) {
    w.FlushRows();
    TzrBatch* batch = w.Batch();
    if (!batch) {
        return false;
    }
    auto& tasks = batch->LockTasks();
    bool same = static_cast<int>(tasks.size()) == w.Rows()->rowCount();
    for (std::size_t i = 0; same && i < tasks.size(); ++i) {
        same = w.Rows()->Row(static_cast<int>(i)).FileName == QString::fromStdString(tasks[i]->FileName);
    }
    batch->UnlockTasks();
    return same;
}

}  // namespace

class TestRun : public QObject {
    Q_OBJECT

  private slots:
    void searchThenConvertAFolder();
    void targetBoxBecomesAFolder();
    void pauseThenConvertContinuesTheBatch();
    void stopThenConvertSearchesAgain();
    void runAndCloseConvertsAndCloses();
    void daemonRepeatsUntilStop();
    void closingDuringARunWaitsForTheConverters();
    void replacingTheListDuringARunIsRefused();
    void addressSourceAndHandlerErrors();
    void realEnginesConvertADocument();
};

void TestRun::searchThenConvertAFolder() {
    test::TWindowEnv env;
    test::TScriptedPickers pickers;
    TzrFrmMain w(env.Project(), env.Opener());
    const std::string a = env.Write("in/a.doc"), bad = env.Write("in/bad.docx"),
                      d = env.Write("in/sub/d.doc");
    env.Write("in/notes.txt");
    env.Write("in/~$a.doc");
    w.eSource->setText(QString::fromStdString(env.Dir() + "in/*.doc?"));
    w.cSubdir->setChecked(true);
    w.eTarget->setText(QString::fromStdString(env.Dir() + "out"));
    w.aSearch->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.Batch()->Finished() && (w.FlushRows(), w.Rows()->rowCount() == 3), kWait);
    QVERIFY(RowsMatchTasks(w));
    QCOMPARE(Statuses(w), QStringLiteral("0 0 0"));

    w.aConvert->trigger();
    QCOMPARE(w.eTarget->text(), QString::fromStdString(env.Dir() + "out/"));
    QVERIFY(!w.aConvert->isEnabled() && !w.aSearch->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QVERIFY(RowsMatchTasks(w));
    QCOMPARE(DoneRows(w), 3);
    QVERIFY(QFileInfo::exists(QString::fromStdString(env.Dir() + "out/a.doc.xls")));
    // Back at rest: Convert on its button, Start hidden, actions enabled.
    QCOMPARE(w.bCreate->Action(), w.aConvert);
    QVERIFY(w.bSearchConvert->isHidden());
    QVERIFY(w.aConvert->isEnabled() && w.aSearch->isEnabled());
    // The failure report carries the error text with "?" escaped.
    QCOMPARE(env.Links, std::vector<std::string>{"|err&e=\"Cannot read bad.docx%3F\"|"});

    const std::string exported = env.Dir() + "list.log";
    pickers.Saves.push_back(exported);
    w.ExportList1->trigger();
    const auto lines = platform::ReadTextLines(exported);
    const std::string raw = test::TWindowEnv::ReadAll(exported);
    QCOMPARE(std::count(raw.begin(), raw.end(), '\n'), 3);
    QCOMPARE(std::count(raw.begin(), raw.end(), '\r'), 3);
    QVERIFY(std::find(lines.begin(), lines.end(),
                      "[Success] => " + a + " => " + env.Dir() + "out/a.doc.xls") != lines.end());
    QVERIFY(std::find(lines.begin(), lines.end(), "[Failure] => " + bad + " => Cannot read bad.docx?") !=
            lines.end());
    QVERIFY(std::find(lines.begin(), lines.end(),
                      "[Success] => " + d + " => " + env.Dir() + "out/d.doc.xls") != lines.end());

    // A second Convert after a finished run searches again from scratch.
    QSignalSpy emptied(w.Rows(), &QAbstractItemModel::modelReset);
    w.aConvert->trigger();
    QCOMPARE(emptied.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QCOMPARE(DoneRows(w), 3);
}

void TestRun::targetBoxBecomesAFolder() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    const std::string file = env.Write("out/existing.xls");
    struct Case {
        std::string typed, expected;
    } cases[] = {
        {env.Dir() + "out/*.xls", env.Dir() + "out/"},
        {file, env.Dir() + "out/"},
        {env.Dir() + "made/new/folder", env.Dir() + "made/new/folder/"},
        {env.Dir() + "out/a?/b*/x.xls", env.Dir() + "out/"},
    };
    // An empty source stops Convert before any converter starts, after the target is settled.
    for (const Case& c : cases) {
        w.eTarget->setText(QString::fromStdString(c.typed));
        w.aConvert->trigger();
        QCOMPARE(w.eTarget->text(), QString::fromStdString(c.expected));
        QCOMPARE(w.Running(), 0);
    }
    QVERIFY(QFileInfo(QString::fromStdString(env.Dir() + "made/new/folder")).isDir());
    // A mask without any folder does not turn into the root folder.
    w.eTarget->setText(QStringLiteral("*.xls"));
    w.aConvert->trigger();
    QCOMPARE(w.eTarget->text(), QString());
}

void TestRun::pauseThenConvertContinuesTheBatch() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    for (const char* name : {"a.doc", "bad1.doc", "c.doc", "d.doc", "e.doc"}) {
        env.Write(std::string("in/") + name);
    }
    env.Project().SetValue("ThreadsCount", "1");
    w.eSource->setText(QString::fromStdString(env.Dir() + "in/*.doc?"));
    w.eTarget->setText(QString::fromStdString(env.Dir() + "out/"));
    TFakeConvertor::Gate.Allow(2);
    w.aConvert->trigger();  // no batch yet: Convert searches first
    QCOMPARE(w.bCreate->Action(), w.aPause);
    QCOMPARE(w.bSearchConvert->Action(), w.aStop);
    QVERIFY(!w.bSearchConvert->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(TFakeConvertor::Gate.Waiting() == 1 && w.Batch()->Finished(), kWait);
    TzrBatch* batch = w.Batch();
    w.bCreate->click();  // Pause
    QVERIFY(!w.aPause->isEnabled() && !w.aStop->isEnabled());
    TFakeConvertor::Gate.Allow(1);
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QCOMPARE(Statuses(w), QStringLiteral("1 2 1 0 0"));
    QCOMPARE(w.Batch(), batch);
    // Rows not finished export as running, with an empty result.
    const std::string exported = env.Dir() + "paused.log";
    w.ExportList(exported);
    QCOMPARE(platform::ReadTextLines(exported).back(), "[Running] => " + env.Dir() + "in/e.doc => ");
    QCOMPARE(env.Links.size(), std::size_t(1));

    TFakeConvertor::Gate.Open();
    w.aConvert->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QCOMPARE(w.Batch(), batch);
    QCOMPARE(Statuses(w), QStringLiteral("1 2 1 1 1"));
    // The second pass had no failure of its own; the batch still remembers the first's.
    QCOMPARE(env.Links.size(), std::size_t(2));
    QCOMPARE(env.Links.back(), std::string("|err&e=\"Cannot read bad1.doc%3F\"|"));
}

void TestRun::stopThenConvertSearchesAgain() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    for (const char* name : {"a.doc", "b.doc", "c.doc"}) {
        env.Write(std::string("in/") + name);
    }
    env.Project().SetValue("ThreadsCount", "2");
    w.eSource->setText(QString::fromStdString(env.Dir() + "in/*.doc?"));
    w.eTarget->setText(QString::fromStdString(env.Dir() + "out/"));
    TFakeConvertor::Gate.Allow(0);
    w.aConvert->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(TFakeConvertor::Gate.Waiting() == 2 && w.Batch()->Finished(), kWait);
    w.bSearchConvert->click();  // Stop
    QVERIFY(w.Stopped());
    TFakeConvertor::Gate.Allow(2);
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QVERIFY(!w.Batch());
    QCOMPARE(DoneRows(w), 2);
    QCOMPARE(w.Rows()->rowCount(), 3);

    TFakeConvertor::Gate.Open();
    w.aConvert->trigger();
    QVERIFY(w.Batch());
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QCOMPARE(Statuses(w), QStringLiteral("1 1 1"));
    QVERIFY(RowsMatchTasks(w));
}

void TestRun::runAndCloseConvertsAndCloses() {
    test::TWindowEnv env;
    const std::string a = env.Write("in/a.doc");
    const std::string log = env.Dir() + "run.log";
    env.Project().SetOptionsText("Source=" + env.Dir() + "in/*.doc?\r\nTarget=" + env.Dir() +
                                 "out/\r\nRunAndClose=True\r\nLogFile=" + log + "\r\n");
    TzrFrmMain w(env.Project(), env.Opener());
    env.Project().OptionsToControls();
    QSignalSpy closed(&w, &QObject::destroyed);
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
    QCOMPARE(w.Running(), 0);
    QCOMPARE(platform::ReadTextLines(log),
             std::vector<std::string>{"[Success] => " + a + " => " + env.Dir() + "out/a.doc.xls"});
}

void TestRun::daemonRepeatsUntilStop() {
    test::TWindowEnv env;
    env.Write("in/a.doc");
    const std::string log = env.Dir() + "daemon.log";
    env.Project().SetOptionsText("Source=" + env.Dir() + "in/*.doc?\r\nTarget=" + env.Dir() +
                                 "out/\r\nDaemon=20\r\nLogFile=" + log + "\r\n");
    TzrFrmMain w(env.Project(), env.Opener());
    env.Project().OptionsToControls();
    w.show();
    // First pass ends and the next one is due.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromStdString(log)), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(w.DaemonPending() || w.Running() > 0, kWait);
    TFakeConvertor::Gate.Allow(0);
    QTRY_VERIFY_WITH_TIMEOUT(TFakeConvertor::Gate.Waiting() == 1, kWait);
    TzrBatch* repeated = w.Batch();
    QVERIFY(repeated);
    w.aStop->trigger();
    TFakeConvertor::Gate.Open();
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    // Stopped: no repetition is due and the window stays open.
    QVERIFY(!w.DaemonPending());
    QVERIFY(w.isVisible());
    QVERIFY(w.aConvert->isEnabled());
}

void TestRun::closingDuringARunWaitsForTheConverters() {
    test::TWindowEnv env;
    env.Write("in/a.doc");
    env.Write("in/b.doc");
    TzrFrmMain w(env.Project(), env.Opener());
    w.eSource->setText(QString::fromStdString(env.Dir() + "in/*.doc?"));
    w.eTarget->setText(QString::fromStdString(env.Dir() + "out/"));
    w.show();
    TFakeConvertor::Gate.Allow(0);
    w.aConvert->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(TFakeConvertor::Gate.Waiting() == 1, kWait);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QVERIFY(w.Stopped());
    TFakeConvertor::Gate.Open();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
    QCOMPARE(w.Running(), 0);
}

void TestRun::replacingTheListDuringARunIsRefused() {
    test::TWindowEnv env;
    const QString x = QString::fromStdString(env.Write("x.doc"));
    env.Write("in/a.doc");
    TzrFrmMain w(env.Project(), env.Opener());
    w.eSource->setText(QString::fromStdString(env.Dir() + "in/*.doc?"));
    w.eTarget->setText(QString::fromStdString(env.Dir() + "out/"));
    TFakeConvertor::Gate.Allow(0);
    w.aConvert->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(TFakeConvertor::Gate.Waiting() == 1, kWait);
    TzrBatch* batch = w.Batch();
    w.DropFiles(w.lViewer, {x});
    QCOMPARE(w.Batch(), batch);
    TFakeConvertor::Gate.Open();
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    QCOMPARE(Statuses(w), QStringLiteral("1"));
    // At rest the drop replaces the list.
    w.DropFiles(w.lViewer, {x});
    QCOMPARE(Statuses(w), QStringLiteral("0"));
}

void TestRun::addressSourceAndHandlerErrors() {
    test::TWindowEnv env;
    TzrFrmMain w(env.Project(), env.Opener());
    std::vector<std::string> errors;
    w.SetErrorHandler([&errors](const std::string& message) { errors.push_back(message); });
    // An address is the one task of its batch.
    w.eSource->setText(QStringLiteral("http://example.invalid/a.doc"));
    w.aSearch->trigger();
    w.FlushRows();
    QCOMPARE(w.Rows()->rowCount(), 1);
    QCOMPARE(w.Rows()->Row(0).FileName, QStringLiteral("http://example.invalid/a.doc"));
    // A folder search without a target cannot prepare it: the error reaches the
    // handler and the list stays empty.
    w.eSource->setText(QString::fromStdString(env.Dir() + "*.doc?"));
    w.eTarget->clear();
    w.aSearch->trigger();
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(errors[0]).contains(QStringLiteral("Unable to create directory")));
    w.FlushRows();
    QCOMPARE(w.Rows()->rowCount(), 0);
    QVERIFY(w.aSearch->isEnabled());
}

void TestRun::realEnginesConvertADocument() {
    test::TWindowEnv env;
    automation::RegisterBuiltinServers();
    try {
        automation::CreateAutomationObject("Word.Application");
        automation::CreateAutomationObject("Excel.Application");
    } catch (const std::exception& e) {
        QSKIP(qPrintable(QStringLiteral("the built-in servers are not available: ") +
                         QString::fromUtf8(e.what())));
    }
    env.Project().FConvertorClass = TzrVANTILE::Class();
    env.Write("in/table.docx", test::MinimalDocx("r1c1", "r1c2", "r2c1", "r2c2"));
    env.Write("in/broken.docx", "this is not a zip archive");
    TzrFrmMain w(env.Project(), env.Opener());
    w.eSource->setText(QString::fromStdString(env.Dir() + "in/*.doc?"));
    w.eTarget->setText(QString::fromStdString(env.Dir() + "out/"));
    w.aConvert->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.Running(), 0, kWait);
    w.FlushRows();
    QCOMPARE(w.Rows()->rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const TzrRow& row = w.Rows()->Row(i);
        if (row.FileName.endsWith(QStringLiteral("table.docx"))) {
            QCOMPARE(row.Status, 1);
            QVERIFY(QFileInfo(row.Result).isFile());
            QVERIFY(row.Result.endsWith(QStringLiteral(".xls")));
        } else {
            QCOMPARE(row.Status, 2);
            QVERIFY(!row.Result.isEmpty());
        }
    }
}

QTEST_MAIN(TestRun)
#include "test_ui_run.moc"
