// The built program in a console run: log file, failure report through the
// opener, nothing on standard output, exit status 0.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/test_support.h"

extern char** environ;

namespace vantile {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with one argument and VANTILE_OPENER set, in Folder.
Outcome RunVantile(const test::TempDir& dir, const std::string& argument, const std::string& opener) {
    const std::string program = VANTILE_BINARY_DIR "/vantile";
    const std::string out = dir.str() + "stdout", err = dir.str() + "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("VANTILE_OPENER=", 0) != 0 && std::string(*e).rfind("REC_OUT=", 0) != 0)
            env.emplace_back(*e);
    env.push_back("VANTILE_OPENER=" + opener);
    env.push_back("REC_OUT=" + dir.str() + "opened");
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string arg0 = program, arg1 = argument;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = test::readFile(out);
    outcome.err = test::readFile(err);
    return outcome;
}

// The opener records its arguments and renames the record into place when done.
std::string WriteRecorder(const test::TempDir& dir) {
    const auto script = dir.write("rec.sh",
                                  "#!/bin/sh\n"
                                  "printf '%s\\n%s' \"$#\" \"$1\" > \"$REC_OUT.tmp\"\n"
                                  "mv \"$REC_OUT.tmp\" \"$REC_OUT\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script.string();
}

std::string WaitForRecord(const std::filesystem::path& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return std::filesystem::exists(path) ? test::readFile(path) : std::string("<nothing opened>");
}

class ConsoleRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(VANTILE_BINARY_DIR "/vantile"))
            GTEST_SKIP() << "the program has not been built";
    }
    test::TempDir dir;
};

TEST_F(ConsoleRun, DocumentsThatFailAreLoggedAndReported) {
    // Not Word documents: every one fails, whatever the engines make of them.
    dir.write("in docs/a 'q'.docx", "not a document");
    dir.write("in docs/b.doc", "");
    dir.write("in docs/c.txt", "ignored");
    dir.write("log.txt", "previous run\r\n");
    const Outcome r = RunVantile(dir,
                                 "-P:Source=" + dir.str() + "in docs/*.doc?;Target=" + dir.str() +
                                     "out;PureConsole=1;LogFile=" + dir.str() + "log.txt",
                                 WriteRecorder(dir));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    const std::string log = test::readFile(dir.path() / "log.txt");
    const auto lines = [&] {
        std::vector<std::string> v;
        for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            v.push_back(log.substr(start, end - start));
        return v;
    }();
    ASSERT_EQ(lines.size(), 2u) << log;
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    EXPECT_NE(log.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(log.find('\n'), log.find("\r\n") + 1) << "every line ends with CR LF";
    const std::string a = "Failure => " + dir.str() + "in docs/a 'q'.docx => ";
    const std::string b = "Failure => " + dir.str() + "in docs/b.doc => ";
    for (const auto& line : lines)
        EXPECT_TRUE(line.rfind(a, 0) == 0 || line.rfind(b, 0) == 0) << line;
    EXPECT_NE(lines[0].substr(0, a.size()), lines[1].substr(0, a.size())) << "one line per document";
    const std::string opened = WaitForRecord(dir.path() / "opened");
    EXPECT_EQ(opened.rfind("1\nhttps://www.gridfall.example/net/?a=err&e=", 0), 0u) << opened;
    EXPECT_NE(opened.find("&p=vantile&v=2018.10.1011.2557&i="), std::string::npos) << opened;
    EXPECT_EQ(opened.find('?', opened.find("e=")), std::string::npos) << "a \"?\" is sent as %3F";
}

TEST_F(ConsoleRun, NothingToConvertWritesAnEmptyLogAndOpensNothing) {
    const Outcome r = RunVantile(dir,
                                 "/P:Source=" + dir.str() + "none/*.doc?,Target=" + dir.str() +
                                     "out,PureConsole=1,LogFile=" + dir.str() + "log.txt",
                                 WriteRecorder(dir));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "log.txt"));
    EXPECT_EQ(test::readFile(dir.path() / "log.txt"), "");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "opened"));
}

TEST_F(ConsoleRun, AnEmptyTargetEndsWithAMessageAndNonZeroStatus) {
    const Outcome r = RunVantile(dir, "-P:Source=nofolder.doc;PureConsole=1", WriteRecorder(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no target folder"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vantile
