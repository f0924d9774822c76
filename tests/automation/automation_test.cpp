#include <gtest/gtest.h>

#include "automation/registry.h"

namespace vantile::automation {
namespace {

class Echo : public Object {
  public:
    Variant get(std::string_view member, Args args) override {
        if (sameName(member, "Count"))
            return static_cast<int>(args.size());
        if (sameName(member, "First"))
            return argAt(args, 0);
        return Object::get(member, args);
    }
};

TEST(Automation, CreationOfAnUnregisteredProgIdNamesIt) {
    try {
        CreateAutomationObject("WPS.Application");
        FAIL() << "created";
    } catch (const AutomationError& e) {
        EXPECT_STREQ(e.what(), "Class not registered, ProgID: \"WPS.Application\"");
    }
}

TEST(Automation, ScopedServerIsFoundWithoutRegardToCaseAndRemovedAfterwards) {
    {
        ScopedServer server("Test.Echo", [] { return std::make_shared<Echo>(); });
        Variant echo(CreateAutomationObject("test.ECHO"));
        EXPECT_EQ(echo.call("count", {1, Variant::missing(), "x"}).toInt(), 3);
        EXPECT_TRUE(echo.call("First", {}).isMissing());
        EXPECT_THROW(echo.get("Nope"), AutomationError);
    }
    EXPECT_THROW(CreateAutomationObject("Test.Echo"), AutomationError);
}

TEST(Automation, AFailingFactoryGivesItsTextWithTheProgId) {
    ScopedServer server("Test.Broken", []() -> ObjectPtr { throw std::runtime_error("Server busy"); });
    try {
        CreateAutomationObject("Test.Broken");
        FAIL() << "created";
    } catch (const AutomationError& e) {
        EXPECT_STREQ(e.what(), "Server busy, ProgID: \"Test.Broken\"");
    }
}

TEST(Automation, VariantConversions) {
    EXPECT_EQ(Variant("16.0").toDouble(), 16.0);
    EXPECT_EQ(Variant(" 12 ").toInt(), 12);
    EXPECT_EQ(Variant(7.9).toInt(), 7);
    EXPECT_EQ(Variant(-7.9).toInt(), -7);
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(20.0).toString(), "20");
    EXPECT_EQ(Variant(2.5).toString(), "2.5");
    EXPECT_TRUE(Variant("tRuE").toBool());
    EXPECT_THROW(Variant("12.0.1").toDouble(), AutomationError);
    EXPECT_THROW(Variant("abc").toBool(), AutomationError);
    EXPECT_THROW(Variant::null().toString(), AutomationError);
    EXPECT_TRUE(Variant(ObjectPtr{}).isNull());
    EXPECT_THROW(Variant(3).get("Anything"), AutomationError);
}

}  // namespace
}  // namespace vantile::automation
