// Target paths and the treatment of the source after a successful conversion.

#include "conversion/zrConvertor.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "project/zrProject.h"

namespace vantile {
namespace {

std::string extensionOf(const std::string& path) {
    const std::string name = platform::ExtractFileName(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

std::string TzrConvertor::MakeTarget(TzrBatch* Batch, TzrNode* Node) {
    const std::string& file = Node->FileName;
    const std::string sourceFolder = Batch->SourceFolder();
    std::string name;
    if (Project->KeepTargetSubdirs() && !sourceFolder.empty() && file.size() > sourceFolder.size() &&
        file.compare(0, sourceFolder.size(), sourceFolder) == 0)
        name = file.substr(sourceFolder.size());
    else
        name = platform::ExtractFileName(file);
    // The delimiters of the other platform never become folders here.
    for (char& c : name)
        if (c == ':' || c == '\\')
            c = '_';

    std::string target = Batch->TargetFolder() + name;
    const std::string& ext = Project->FTargetExt;
    if (!ext.empty()) {
        const std::string& alt = Project->FTargetExtAlt;
        const std::string& macro = Project->FTargetExtMacro;
        if (alt.empty()) {
            target = platform::ChangeFileExt(target, ext);
        } else {
            const std::string own = extensionOf(target);
            if (platform::SameTextIgnoringCase(own, alt) ||
                (!macro.empty() && platform::SameTextIgnoringCase(own, macro)))
                target = platform::ChangeFileExt(target, ext);
            else if (Project->MacroEnabled() && IsMacroEnabled())
                target = platform::ChangeFileExt(target, macro);
            else
                target = platform::ChangeFileExt(target, alt);
        }
    }
    target = AdjustTarget(target);

    const std::string folder = platform::ExtractFilePath(target);
    if (!platform::DirectoryExists(folder)) {
        platform::ForceDirectories(folder);
        if (!platform::DirectoryExists(folder))
            Batch->AddError("CreateDir Failed: " + folder);
    }

    if (platform::FileExists(target)) {
        switch (Project->IsOverwrite()) {
            case omSkip:
                Node->Status.store(1);
                return {};
            case omNo:
                target = folder + "-" + Project->FShortName + "-" + platform::ExtractFileName(target);
                break;
            case omYes:
                // Replaced atomically when the result is saved.
                break;
        }
    }
    return target;
}

void TzrConvertor::FinishTask(TzrBatch*, TzrNode* Node, const std::string& Target) {
    const std::string& source = Node->FileName;
    try {
        if (Project->KeepFileTime())
            CopyFileTime(source, Target);
    } catch (...) {
    }
    try {
        if (Project->DeleteSource())
            platform::DeleteFile(source);
    } catch (...) {
    }
    try {
        const std::string suffix = Project->RenameSource();
        if (!suffix.empty())
            platform::RenameFileNoReplace(source, source + suffix);
    } catch (...) {
    }
}

void CopyFileTime(const std::string& Source, const std::string& Target) {
    try {
        if (const auto times = platform::GetFileTimes(Source))
            platform::SetFileTimes(Target, *times);
    } catch (...) {
    }
}

}  // namespace vantile
