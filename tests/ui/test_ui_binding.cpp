// Binding of window controls to options through Qt's property system, and the
// filters of the pickers.

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include "project/zrProject.h"
#include "ui/zrBoundControlQt.h"
#include "ui/zrPickersQt.h"
#include "ui_test_support.h"

using namespace vantile;
using namespace vantile::ui;

class TestBinding : public QObject {
    Q_OBJECT

  private slots:
    void propertiesAreFoundWithoutRegardToCase();
    void booleanRules_data();
    void booleanRules();
    void enumerationsAndIntegers();
    void projectOptionsAndControls();
    void olderKeysAreReadOnceAndDropped();
    void nameFilters();
};

void TestBinding::propertiesAreFoundWithoutRegardToCase() {
    QLineEdit edit;
    edit.setObjectName(QStringLiteral("eSource"));
    MarkBound(&edit, "Text");
    TzrBoundControlQt control(&edit);
    QCOMPARE(control.Name(), std::string("eSource"));
    QCOMPARE(control.Hint(), std::string("Text"));
    QCOMPARE(control.Tag(), -1);
    TzrPropList props(&control);
    props.SetProp("TEXT", "/docs/*.doc?");
    QCOMPARE(edit.text(), QStringLiteral("/docs/*.doc?"));
    QCOMPARE(props.GetProp("tExT"), std::string("/docs/*.doc?"));
    // No such property: nothing read, nothing written.
    QCOMPARE(props.GetProp("Caption"), std::string());
    props.SetProp("Caption", "x");
    QCOMPARE(edit.text(), QStringLiteral("/docs/*.doc?"));
    props.SetProp("Text", "");
    QCOMPARE(edit.text(), QString());
}

void TestBinding::booleanRules_data() {
    QTest::addColumn<bool>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("after");
    QTest::newRow("True") << false << "True" << true;
    QTest::newRow("tRuE") << false << "tRuE" << true;
    QTest::newRow("false") << true << "false" << false;
    QTest::newRow("empty clears") << true << "" << false;
    QTest::newRow("1 keeps checked") << true << "1" << true;
    QTest::newRow("1 keeps cleared") << false << "1" << false;
    QTest::newRow("yes keeps") << true << "yes" << true;
}

void TestBinding::booleanRules() {
    QFETCH(bool, before);
    QFETCH(QString, value);
    QFETCH(bool, after);
    QCheckBox box;
    box.setObjectName(QStringLiteral("cSubdir"));
    MarkBound(&box, "Checked");
    box.setChecked(before);
    TzrBoundControlQt control(&box);
    TzrPropList props(&control);
    props.SetProp("checked", value.toStdString());
    QCOMPARE(box.isChecked(), after);
    QCOMPARE(props.GetProp("Checked"), std::string(after ? "True" : "False"));
}

void TestBinding::enumerationsAndIntegers() {
    QLineEdit edit;
    edit.setMaxLength(40);
    TzrBoundControlQt control(&edit);
    TzrPropList props(&control);
    QCOMPARE(props.GetProp("EchoMode"), std::string("Normal"));
    props.SetProp("echomode", "password");
    QCOMPARE(edit.echoMode(), QLineEdit::Password);
    props.SetProp("echoMode", "Bogus");
    QCOMPARE(edit.echoMode(), QLineEdit::Password);
    QCOMPARE(props.GetProp("MAXLENGTH"), std::string("40"));
    // Integers are read, never written from option text.
    props.SetProp("maxLength", "10");
    QCOMPARE(edit.maxLength(), 40);
    // A control that is gone reads as empty and takes nothing.
    auto* doomed = new QLineEdit;
    TzrBoundControlQt gone(doomed);
    delete doomed;
    TzrPropList goneProps(&gone);
    QCOMPARE(goneProps.GetProp("Text"), std::string());
    goneProps.SetProp("Text", "x");
}

void TestBinding::projectOptionsAndControls() {
    test::TWindowEnv env;
    TzrProject& project = env.Project();
    QLineEdit source;
    source.setObjectName(QStringLiteral("eSource"));
    MarkBound(&source, "Text");
    QCheckBox subdir;
    subdir.setObjectName(QStringLiteral("cSubdir"));
    MarkBound(&subdir, "Checked");
    QLineEdit target;
    target.setObjectName(QStringLiteral("eTarget"));
    MarkBound(&target, "Text");
    TzrBoundControlQt c1(&source), c2(&subdir), c3(&target);
    for (TzrBoundControl* c : std::initializer_list<TzrBoundControl*>{&c1, &c2, &c3}) {
        project.RegisterControl(c);
    }

    project.SetOptionsText("Source=/in/*.doc?\r\nSubdir=TRUE\r\nTarget=/out/\r\n");
    project.OptionsToControls();
    QCOMPARE(source.text(), QStringLiteral("/in/*.doc?"));
    QVERIFY(subdir.isChecked());
    QCOMPARE(target.text(), QStringLiteral("/out/"));

    // "1" is no value name: the box keeps its state, and the next write-back replaces the 1.
    subdir.setChecked(false);
    project.SetValue("Subdir", "1");
    project.OptionsToControls();
    QVERIFY(!subdir.isChecked());
    target.clear();
    project.ControlsToOptions();
    QCOMPARE(project.GetValue("Subdir"), std::string("False"));
    QCOMPARE(project.GetValue("Target"), std::string());
    QVERIFY(project.OptionsText().find("Target") == std::string::npos);

    // Without Source the field empties.
    project.SetOptionsText("Subdir=False\r\n");
    project.OptionsToControls();
    QCOMPARE(source.text(), QString());
    for (TzrBoundControl* c : std::initializer_list<TzrBoundControl*>{&c1, &c2, &c3}) {
        project.UnregisterControl(c);
    }
}

void TestBinding::olderKeysAreReadOnceAndDropped() {
    test::TWindowEnv env;
    TzrProject& project = env.Project();
    QLineEdit source;
    source.setObjectName(QStringLiteral("eSource"));
    MarkBound(&source, "Text");
    TzrBoundControlQt control(&source);
    project.RegisterControl(&control);
    project.SetOptionsText("eSource.Text=/old/*.doc?\r\nThreadsCount=2\r\n");
    project.OptionsToControls();
    QCOMPARE(source.text(), QStringLiteral("/old/*.doc?"));
    QCOMPARE(project.GetValue("eSource.Text"), std::string());
    project.ControlsToOptions();
    QCOMPARE(project.GetValue("Source"), std::string("/old/*.doc?"));
    project.UnregisterControl(&control);
}

void TestBinding::nameFilters() {
    QCOMPARE(QtNameFilters("Word Document (*.doc;*.docx)|*.doc;*.docx"),
             QStringList{QStringLiteral("Word Document (*.doc;*.docx) (*.doc *.docx)")});
    QCOMPARE(QtNameFilters("Gridfall Project|*.batch-vantile|Log File|*.log"),
             (QStringList{QStringLiteral("Gridfall Project (*.batch-vantile)"),
                          QStringLiteral("Log File (*.log)")}));
    QCOMPARE(QtNameFilters(""), QStringList{QStringLiteral("All files (*)")});
}

QTEST_MAIN(TestBinding)
#include "test_ui_binding.moc"
