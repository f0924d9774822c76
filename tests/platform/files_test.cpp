#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_support.h"

namespace vantile::platform {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(Files, OnlyRegularFilesAreFiles) {
    test::TempDir dir;
    const auto file = dir.write("a b'$(x).doc", "x").string();
    const auto fifo = (dir.path() / "pipe.doc").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.path().string()));
    EXPECT_FALSE(FileExists(fifo));
    EXPECT_TRUE(DirectoryExists(dir.path().string()));
    // A FIFO must never block a reader.
    EXPECT_THROW(ReadFileBytes(fifo, 100), FileError);
}

TEST(Files, ReadFileBytesEnforcesItsLimit) {
    test::TempDir dir;
    const auto file = dir.write("x.bin", std::string(10, 'a')).string();
    EXPECT_EQ(ReadFileBytes(file, 10).size(), 10u);
    try {
        ReadFileBytes(file, 9);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos);
    }
    EXPECT_THROW(ReadFileBytes((dir.path() / "missing").string(), 10), FileError);
}

TEST(Files, ForceDirectoriesCreatesParentsAndFailsBelowAFile) {
    test::TempDir dir;
    EXPECT_TRUE(ForceDirectories(dir.str() + "a/b/c/"));
    EXPECT_TRUE(DirectoryExists(dir.str() + "a/b/c"));
    dir.write("plain", "x");
    EXPECT_FALSE(ForceDirectories(dir.str() + "plain/sub"));
    EXPECT_FALSE(ForceDirectories(""));
}

TEST(Files, RenameNeverReplaces) {
    test::TempDir dir;
    const auto a = dir.write("a.doc", "A").string();
    const auto b = dir.write("b.doc", "B").string();
    EXPECT_FALSE(RenameFileNoReplace(a, b));
    EXPECT_EQ(test::readFile(b), "B");
    EXPECT_TRUE(RenameFileNoReplace(a, a + ".done"));
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(test::readFile(a + ".done"), "A");
}

TEST(Files, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    const auto target = dir.write("out.xls", "old").string();
    WriteFileAtomically(target, bytesOf("new"));
    EXPECT_EQ(test::readFile(target), "new");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(Files, FailedAtomicWriteKeepsThePreviousFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    test::TempDir dir;
    const auto target = dir.write("ro/out.xls", "old").string();
    ASSERT_EQ(::chmod((dir.str() + "ro").c_str(), 0500), 0);
    EXPECT_THROW(WriteFileAtomically(target, bytesOf("new")), FileError);
    EXPECT_EQ(test::readFile(target), "old");
}

TEST(Files, FailedRenameRemovesTheTemporaryFile) {
    test::TempDir dir;
    dir.write("out.xls/keep", "x");  // a folder stands where the file should go
    EXPECT_THROW(WriteFileAtomically(dir.str() + "out.xls", bytesOf("new")), FileError);
    EXPECT_EQ(test::readFile(dir.path() / "out.xls/keep"), "x");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(Files, AtomicWriteIntoAMissingFolderFails) {
    test::TempDir dir;
    EXPECT_THROW(WriteFileAtomically(dir.str() + "missing/out.xls", bytesOf("x")), FileError);
}

TEST(Files, TimesRoundTrip) {
    test::TempDir dir;
    const auto file = dir.write("t", "x").string();
    FileTimes t;
    t.access = {1000000000, 5};
    t.modification = {1200000000, 7};
    ASSERT_TRUE(SetFileTimes(file, t));
    const auto back = GetFileTimes(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->access, t.access);
    EXPECT_EQ(back->modification, t.modification);
}

TEST(Files, PathParts) {
    EXPECT_EQ(ExtractFilePath("/in/a/rep.doc"), "/in/a/");
    EXPECT_EQ(ExtractFilePath("rep.doc"), "");
    EXPECT_EQ(ExtractFileName("/in/a/rep.doc"), "rep.doc");
    EXPECT_EQ(ChangeFileExt("/in/rep.docx", ".xls"), "/in/rep.xls");
    EXPECT_EQ(ChangeFileExt("/in.d/rep", ".xls"), "/in.d/rep.xls");
    EXPECT_EQ(IncludeTrailingDelimiter("/out"), "/out/");
    EXPECT_EQ(IncludeTrailingDelimiter("/out/"), "/out/");
}

}  // namespace
}  // namespace vantile::platform
