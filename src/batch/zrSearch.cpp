// The search of the source: preparing a run's source and target, "file:" URLs,
// the search thread and the files given one by one.

#include "batch/zrBatch.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/listing.h"
#include "platform/regex.h"
#include "project/zrProject.h"

namespace vantile {
namespace {

// File managers escape blanks and non-ASCII letters in the URLs they hand over.
std::string percentDecode(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = platform::HexDigitValue(s[i + 1]), lo = platform::HexDigitValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

}  // namespace

std::string TzrBatch::NormalizeUrl(const std::string& Text) {
    if (Text.rfind("file:", 0) != 0)
        return Text;
    std::string result = platform::RegexReplace("^file:/*", 0, Text, "");
    // file://localhost/home/a.doc names the same file as file:///home/a.doc.
    if (result.rfind("localhost/", 0) == 0)
        result.erase(0, std::string("localhost/").size());
    return "/" + percentDecode(result);
}

void TzrBatch::Prepare(const std::string& Source, const std::string& Target, bool Subdirs) {
    std::string source = NormalizeUrl(Source);
    const std::string target = NormalizeUrl(Target);
    if (target.empty())
        throw platform::FileError("Unable to create directory");
    // Target folders are created on demand only while targets use this platform's
    // delimiter; one that cannot be created here is reported per file by the converter.
    const bool createFolders = !Project || Project->FPathDelim == platform::PathDelim;
    if (createFolders && !platform::DirectoryExists(target))
        platform::ForceDirectories(target);
    const std::size_t cut = source.rfind(platform::PathDelim);
    {
        std::lock_guard lock(FLock);
        FTargetFolder = target;
        if (cut == std::string::npos) {
            FMask = source;
            FSourceFolder.clear();
        } else {
            FMask = source.substr(cut + 1);
            FSourceFolder = source.substr(0, cut + 1);
        }
        FSubdirs = Subdirs;
    }
    std::lock_guard threadLock(FThreadLock);
    if (!FFinished.load() && !FThread.joinable())
        FThread = std::thread([this] { Execute(); });
}

void TzrBatch::AddFile(const std::string& FileName) {
    // Marked finished even when the handler of OnTaskAdded raises, so that no worker
    // waits for a file that will never come.
    struct MarkFinished {
        std::atomic<bool>& flag;
        ~MarkFinished() { flag.store(true); }
    } mark{FFinished};
    AddTask(FileName);
}

void TzrBatch::WaitFor() {
    std::lock_guard threadLock(FThreadLock);
    if (FThread.joinable())
        FThread.join();
}

void TzrBatch::Execute() {
    try {
        std::string regExt;
        bool skipHidden = false;
        if (Project) {
            regExt = Project->GetValue("RegExt");
            skipHidden = TzrProject::ReadBool(Project->GetValue("SkipHidden"), false);
        }
        std::string folder, mask;
        bool subdirs = false;
        {
            std::lock_guard lock(FLock);
            FRegExt = regExt;
            FSkipHidden = skipHidden;
            folder = FSourceFolder;
            mask = FMask;
            subdirs = FSubdirs;
        }
        SearchFolder(folder, mask, subdirs, skipHidden ? kAttrVisibleFiles : kAttrAllFiles);
    } catch (...) {
        // An error inside the search (an OnTaskAdded handler, say) ends it unreported.
    }
    FFinished.store(true);
}

void TzrBatch::SearchFolder(const std::string& Folder, const std::string& Mask, bool Subdirs,
                            std::uint32_t Attr) {
    for (const auto& entry : platform::ListDirectory(Folder, Mask, Attr)) {
        if ((entry.attr & Attr) == (entry.attr & platform::faAnyFile) &&
            !(entry.attr & platform::faDirectory) &&
            !(SkipOwnerFiles.load() && entry.name.rfind("~$", 0) == 0))
            AddTask(Folder + entry.name);
        if (Terminated())
            return;
    }
    if (!Subdirs || Terminated())
        return;
    // Hidden folders are never searched, whatever "SkipHidden" says.
    for (const auto& entry : platform::ListDirectory(Folder, "*.*", kAttrSubFolders)) {
        if (entry.attr & platform::faDirectory)
            SearchFolder(Folder + entry.name + platform::PathDelim, Mask, Subdirs, Attr);
        if (Terminated())
            return;
    }
}

}  // namespace vantile
