// Reading and writing control properties by name, and mirroring controls into options.

#include <gtest/gtest.h>

#include "fake_control.h"
#include "project/zrProject.h"
#include "support/test_support.h"

namespace vantile {
namespace {

using test::FakeControl;

TEST(PropList, GetPropRendersEachKind) {
    FakeControl c("eX", "Text");
    c.addText("Text", "abc");
    c.addBool("Checked", true);
    c.addInt("Width", -12);
    c.addOther("Font", "Tahoma");
    TzrPropList props(&c);
    EXPECT_EQ(props.GetProp("text"), "abc");
    EXPECT_EQ(props.GetProp("CHECKED"), "True");
    EXPECT_EQ(props.GetProp("Width"), "-12");
    EXPECT_EQ(props.GetProp("Font"), "Tahoma");
    EXPECT_EQ(props.GetProp("Missing"), "");
    c.failAll();
    EXPECT_EQ(props.GetProp("Text"), "");
}

TEST(PropList, SetPropTakesValueNamesAndTextOnly) {
    FakeControl c("eX", "Text");
    c.addText("Text");
    c.addBool("Checked", true);
    c.addInt("Width", 5);
    c.addOther("Font", "Tahoma");
    TzrPropList props(&c);
    props.SetProp("Checked", "");  // empty counts as False
    EXPECT_EQ(c.ord("Checked"), 0);
    props.SetProp("Checked", "tRUE");
    EXPECT_EQ(c.ord("Checked"), 1);
    props.SetProp("Checked", "1");  // not a value name: unchanged
    EXPECT_EQ(c.ord("Checked"), 1);
    props.SetProp("Checked", "False");
    props.SetProp("Checked", "yes");
    EXPECT_EQ(c.ord("Checked"), 0);
    props.SetProp("Width", "9");
    EXPECT_EQ(c.ord("Width"), 5);
    props.SetProp("Font", "Arial");
    EXPECT_EQ(c.text("Font"), "Tahoma");
    props.SetProp("Text", "a b \"c\"");
    EXPECT_EQ(c.text("Text"), "a b \"c\"");
    props.SetProp("Missing", "x");
    c.failAll();
    EXPECT_NO_THROW(props.SetProp("Text", "y"));
}

class BindingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (auto* c : {&source, &subdir, &target})
            project.RegisterControl(c);
    }
    void TearDown() override {
        for (auto* c : {&source, &subdir, &target})
            project.UnregisterControl(c);
    }
    test::TempDir dir;
    TzrProject project{dir.str() + "vantile"};
    FakeControl source = FakeControl::Edit("eSource");
    FakeControl subdir = FakeControl::Check("cSubdir");
    FakeControl target = FakeControl::Edit("eTarget");
};

TEST_F(BindingTest, OptionsToControlsFillsEveryControlAndEmptiesMissingOnes) {
    target.SetStrProp("Text", "old");
    project.SetOptionsText("Source=/s/*.doc?\nSubdir=true");
    project.OptionsToControls();
    EXPECT_EQ(source.text("Text"), "/s/*.doc?");
    EXPECT_EQ(subdir.ord("Checked"), 1);
    EXPECT_EQ(target.text("Text"), "");
    EXPECT_GT(source.Tag(), 0);
    project.SetOptionsText("Subdir=1");  // not a value name: the box keeps its state
    project.OptionsToControls();
    EXPECT_EQ(subdir.ord("Checked"), 1);
    EXPECT_EQ(source.text("Text"), "");
}

TEST_F(BindingTest, OlderKeysAreReadOnceAndRemoved) {
    project.SetOptionsText("eSource.Text=/old/*.doc\ncSubdir.Checked=True\neTarget.Text=/o/\nTarget=/t/");
    project.OptionsToControls();
    EXPECT_EQ(source.text("Text"), "/old/*.doc");
    EXPECT_EQ(subdir.ord("Checked"), 1);
    EXPECT_EQ(target.text("Text"), "/t/");
    // The older target key stays: the current key had a value, so it was never consulted.
    EXPECT_EQ(project.OptionLines(), (std::vector<std::string>{"eTarget.Text=/o/", "Target=/t/"}));
    project.ControlsToOptions();
    EXPECT_EQ(project.OptionLines(), (std::vector<std::string>{"eTarget.Text=/o/", "Target=/t/",
                                                               "Source=/old/*.doc", "Subdir=True"}));
}

TEST_F(BindingTest, ControlsToOptionsWritesInPlaceAndRemovesEmptyFields) {
    project.SetOptionsText("Target=/t/\nX=1\nSource=/a/");
    source.SetStrProp("Text", "/b/");
    project.ControlsToOptions();
    EXPECT_EQ(project.OptionLines(), (std::vector<std::string>{"X=1", "Source=/b/", "Subdir=False"}));
}

TEST_F(BindingTest, ReleaseControlsResetsTheMarker) {
    project.ControlsToOptions();
    EXPECT_GT(subdir.Tag(), 0);
    project.ReleaseControls();
    EXPECT_EQ(subdir.Tag(), -1);
    project.OptionsToControls();  // bound again on next use
    EXPECT_GT(subdir.Tag(), 0);
}

// The window may be gone before the project ends (caught by AddressSanitizer).
TEST(Binding, TheProjectsEndNeverTouchesItsControls) {
    test::TempDir dir;
    auto project = std::make_unique<TzrProject>(dir.str() + "vantile");
    auto control = std::make_unique<FakeControl>(FakeControl::Edit("eSource"));
    project->RegisterControl(control.get());
    project->ControlsToOptions();
    control.reset();
    project.reset();
}

TEST(Binding, NoControlsMeansNothingChanges) {
    test::TempDir dir;
    TzrProject project(dir.str() + "vantile");
    project.SetOptionsText("eSource.Text=/x/");
    project.OptionsToControls();
    project.ControlsToOptions();
    EXPECT_EQ(project.OptionLines(), std::vector<std::string>{"eSource.Text=/x/"});
}

}  // namespace
}  // namespace vantile
