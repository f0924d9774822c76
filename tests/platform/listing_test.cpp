#include "platform/listing.h"

#include <gtest/gtest.h>
#include <filesystem>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/test_support.h"

namespace vantile::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const std::vector<DirEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

struct WildcardCase {
    const char* name;
    const char* mask;
    bool match;
};

TEST(Wildcard, WholeNameCaseIgnoredStarAndQuestionMark) {
    const WildcardCase cases[] = {
        {"a.doc", "*.doc?", true},
        {"Report.DOCX", "*.doc?", true},
        {"a.docxx", "*.doc?", false},
        {"a.pdf", "*.doc?", false},
        {"a.doc.bak", "*.doc?", false},
        {"ab.doc", "a?.doc", true},
        {"a.doc", "a?.doc", true},
        {"abc.doc", "a?.doc", false},
        {"report.doc", "report.doc", true},
        {"xreport.doc", "report.doc", false},
        {"docs", "*.*", true},
        {"a.b", "*.*", true},
        {"docs", "docs.*", true},
        {"é.doc", "?.doc", true},
        {"", "*", true},
        {"anything", "*", true},
        {"a", "", false},
        {"ab", "a?", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesWildcard(c.name, c.mask), c.match) << c.name << " / " << c.mask;
}

TEST(Listing, FiltersByAttributeAndSortsIgnoringCase) {
    test::TempDir dir;
    dir.write("b.doc", "x");
    dir.write("A.docx", "x");
    dir.write("c.pdf", "x");
    dir.write(".hidden.doc", "x");
    dir.write("sub.doc/inner.doc", "x");
    dir.write(".hiddendir/inner.doc", "x");

    EXPECT_EQ(names(ListDirectory(dir.str(), "*.doc?", 0x1EF)),
              (std::vector<std::string>{".hidden.doc", "A.docx", "b.doc"}));
    EXPECT_EQ(names(ListDirectory(dir.str(), "*.doc?", 0x1ED)),
              (std::vector<std::string>{"A.docx", "b.doc"}));
    // The folder listing returns ordinary files and folders, never hidden ones.
    const auto folders = ListDirectory(dir.str(), "*.*", faDirectory);
    EXPECT_EQ(names(folders), (std::vector<std::string>{"A.docx", "b.doc", "c.pdf", "sub.doc"}));
    EXPECT_EQ(folders.back().attr & faDirectory, faDirectory);
    EXPECT_EQ(folders.front().attr & (faDirectory | faArchive), faArchive);
    // Without a trailing delimiter the folder is the same.
    EXPECT_EQ(ListDirectory(dir.path().string(), "*.doc?", 0x1ED).size(), 2u);
}

TEST(Listing, NeverReturnsFifosSocketsOrLinksToFolders) {
    test::TempDir dir;
    dir.write("real.doc", "x");
    dir.write("folder/inner.doc", "x");
    const std::string base = dir.str();
    ASSERT_EQ(::mkfifo((base + "pipe.doc").c_str(), 0600), 0);
    fs::create_symlink(base + "real.doc", base + "link.doc");
    fs::create_directory_symlink(base + "folder", base + "loop.doc");
    fs::create_symlink(base + "missing", base + "dangling.doc");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = base + "sock.doc";
    if (sockPath.size() < sizeof addr.sun_path) {
        sockPath.copy(addr.sun_path, sockPath.size());
        ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    ::close(sock);

    EXPECT_EQ(names(ListDirectory(base, "*.doc", 0x1EF)), (std::vector<std::string>{"link.doc", "real.doc"}));
    EXPECT_EQ(names(ListDirectory(base, "*", faDirectory)),
              (std::vector<std::string>{"folder", "link.doc", "real.doc"}));
}

TEST(Listing, MissingOrUnreadableFolderListsNothing) {
    test::TempDir dir;
    EXPECT_TRUE(ListDirectory(dir.str() + "absent/", "*", 0x1FF).empty());
    dir.write("file.doc", "x");
    EXPECT_TRUE(ListDirectory(dir.str() + "file.doc/", "*", 0x1FF).empty());
}

TEST(Listing, ReadOnlyAttribute) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the super-user may write every file";
    test::TempDir dir;
    const auto file = dir.write("ro.doc", "x");
    fs::permissions(file, fs::perms::owner_read);
    const auto entries = ListDirectory(dir.str(), "*", 0x1EF);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].attr & faReadOnly, faReadOnly);
}

}  // namespace
}  // namespace vantile::platform
