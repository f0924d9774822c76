// Starting the opener directly, with one untouched argument.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/shell_open.h"
#include "support/test_support.h"

namespace vantile::platform {
namespace {

// Waits (bounded) for a file that a started program writes.
std::string WaitForFile(const std::filesystem::path& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return std::filesystem::exists(path) ? test::readFile(path) : std::string("<not written>");
}

// A recording opener: writes its argument count and first argument, then
// renames the record into place so that a reader never sees half of it.
std::string WriteRecorder(const test::TempDir& dir) {
    const auto script = dir.write("rec.sh",
                                  "#!/bin/sh\n"
                                  "printf '%s\\n%s' \"$#\" \"$1\" > \"$REC_OUT.tmp\"\n"
                                  "mv \"$REC_OUT.tmp\" \"$REC_OUT\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script.string();
}

TEST(ShellOpen, PassesHostileTextAsOneArgument) {
    test::TempDir dir;
    const std::string recorder = WriteRecorder(dir);
    const std::string texts[] = {"https://www.example/?a=1&b=\"2\"; rm -rf ~ `id` $(id) | >x",
                                 "/a path/with ü and 'quotes' *?.doc"};
    int n = 0;
    for (const auto& text : texts) {
        const auto out = dir.path() / ("out" + std::to_string(n++));
        ::setenv("REC_OUT", out.c_str(), 1);
        ASSERT_TRUE(SpawnDetached(recorder, text));
        EXPECT_EQ(WaitForFile(out), "1\n" + text);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "x"));
    ::unsetenv("REC_OUT");
}

TEST(ShellOpen, UsesTheProgramNamedByTheEnvironment) {
    test::TempDir dir;
    const std::string recorder = WriteRecorder(dir);
    const auto out = dir.path() / "out";
    ::setenv("REC_OUT", out.c_str(), 1);
    ::setenv("VANTILE_OPENER", recorder.c_str(), 1);
    ShellOpen("mailto:a@b?subject=x y");
    EXPECT_EQ(WaitForFile(out), "1\nmailto:a@b?subject=x y");
    ::unsetenv("VANTILE_OPENER");
    ::unsetenv("REC_OUT");
}

TEST(ShellOpen, AMissingProgramIsReportedNotRaised) {
    EXPECT_FALSE(SpawnDetached("/nonexistent/opener", "x"));
}

TEST(ShellOpen, ReplacementOpenerReceivesTheText) {
    std::vector<std::string> seen;
    auto previous = SetShellOpener([&](const std::string& t) { seen.push_back(t); });
    ShellOpen("a b");
    SetShellOpener(std::move(previous));
    EXPECT_EQ(seen, std::vector<std::string>{"a b"});
}

}  // namespace
}  // namespace vantile::platform
