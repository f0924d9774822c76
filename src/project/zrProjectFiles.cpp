// Project files, the start project and the recent list.

#include <algorithm>
#include <cctype>

#include "platform/files.h"
#include "platform/text_file.h"
#include "project/zrPickers.h"
#include "project/zrProject.h"

namespace vantile {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The folder part of a path, up to and including its last delimiter.
std::string FolderPart(const std::string& path, char delim) {
    const auto pos = path.rfind(delim);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

}  // namespace

std::string TzrProject::RecentListFile() const {
    return FExeName + ".log";
}

std::string TzrProject::DefaultProjectFile() const {
    return platform::ChangeFileExt(FExeName, FProjectExt);
}

bool TzrProject::IsProjectFile(const std::string& Path) const {
    return !FProjectExt.empty() && Path.size() >= FProjectExt.size() &&
           Path.compare(Path.size() - FProjectExt.size(), FProjectExt.size(), FProjectExt) == 0;
}

void TzrProject::OpenStartup() {
    if (FFileName.empty() && FCmdOptions.empty())
        FFileName = DefaultProjectFile();
    Open(true);
}

void TzrProject::FillTargetFromSource() {
    if (FTargetFollowsSource && Target().empty())
        SetValue("Target", FolderPart(Source(), FPathDelim));
}

void TzrProject::Open(bool Silent) {
    if (!Silent) {
        std::string name = FFileName;
        if (!SelectFiles(FProjectFilter + "|" + FSourceFilter, name, false))
            return;
        FFileName = name;
    }
    const std::string path = FFileName;
    if (IsProjectFile(path)) {
        try {
            SetOptionLines(platform::ReadTextLines(path));
            AddRecent();
        } catch (...) {
            // A project that cannot be read leaves the options as they were.
        }
    } else if (!FCmdOptions.empty()) {
        FFileName.clear();
        SetOptionsText(FCmdOptions);
        FillTargetFromSource();
    } else {
        FFileName.clear();
        SetValue("Source", path);
        FillTargetFromSource();
    }
    OptionsToControls();
}

void TzrProject::NewProject() {
    FFileName.clear();
    SetOptionLines({});
    OptionsToControls();
}

void TzrProject::Save() {
    if (!FFileName.empty())
        Commit(true);
    else
        SaveAs();
}

void TzrProject::SaveAs() {
    std::string name = FFileName;
    if (!SelectSaveFile(FProjectFilter, FProjectExt, name))
        return;
    FFileName = name;
    Commit(true);
}

void TzrProject::Commit(bool WriteFile) {
    ControlsToOptions();
    if (!WriteFile)
        return;
    platform::WriteTextLines(FFileName, OptionLines());
    AddRecent();
}

void TzrProject::AddRecent() {
    if (FFileName.empty())
        return;
    const bool known = std::any_of(FRecent.begin(), FRecent.end(),
                                   [&](const std::string& entry) { return SameText(entry, FFileName); });
    if (!known)
        FRecent.insert(FRecent.begin(), FFileName);
}

}  // namespace vantile
