#include "shell/zrInfo.h"

#include <algorithm>

#include "platform/calendar.h"
#include "platform/files.h"
#include "platform/shell_open.h"
#include "project/zrProject.h"

namespace vantile {

TzrInfo* Info = nullptr;

std::int32_t TzrFileUtils::PackDosDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
    if (Year < 1980 || Year > 2107 || Month < 1 || Month > 12 || Day < 1 || Day > 31 || Hour < 0 ||
        Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59)
        return -1;
    const auto date = static_cast<std::uint32_t>((Year - 1980) << 9 | Month << 5 | Day);
    const auto time = static_cast<std::uint32_t>(Hour << 11 | Minute << 5 | Second / 2);
    return static_cast<std::int32_t>(date << 16 | time);
}

std::int32_t TzrFileUtils::FileTimeStamp(const std::string& Path, bool CreationTime, bool LocalTime) {
    const auto times = platform::GetFileTimes(Path);
    if (!times)
        return -1;
    if (CreationTime && !times->birth)
        return -1;
    const platform::FileTime& t = CreationTime ? *times->birth : times->modification;
    const auto c = platform::SplitTime(t.seconds, LocalTime);
    if (!c)
        return -1;
    return PackDosDateTime(c->year, c->month, c->day, c->hour, c->minute, std::min(c->second, 59));
}

namespace {

std::string ProgramFolder(const std::string& exeName) {
    std::string folder = platform::ExtractFilePath(exeName);
    while (folder.size() > 1 && folder.back() == platform::PathDelim)
        folder.pop_back();
    return folder;
}

std::string WithoutQuotes(std::string text) {
    std::erase(text, '"');
    return text;
}

}  // namespace

TzrInfo::TzrInfo(std::string ExeName)
    : FExeName(std::move(ExeName)),
      FInstallStamp(TzrFileUtils::FileTimeStamp(ProgramFolder(FExeName), true, false)) {}

std::string TzrInfo::LinkText(const std::string& Page, const std::string& Action,
                              const std::string& Extra) const {
    const std::string title = Project ? Project->FTitle : std::string();
    const std::string version = Project ? Project->FVersion : std::string();
    const std::string shortName = Project ? Project->FShortName : std::string();
    const std::string stamp = std::to_string(FInstallStamp);

    if (Page == "supports") {
        std::string subjectTitle = title;
        if (const auto amp = subjectTitle.find('&'); amp != std::string::npos)
            subjectTitle.replace(amp, 1, "And");
        return std::string("mailto:") + SupportMail + "?subject=Support required for " + subjectTitle + " " +
               version + " - " + stamp;
    }
    if (Page == "h") {
        const std::string chm = platform::ChangeFileExt(FExeName, ".chm");
        if (platform::FileExists(chm))
            return chm;
        const std::string pdf = platform::ChangeFileExt(FExeName, ".pdf");
        return platform::FileExists(pdf) ? pdf : std::string();
    }
    std::string address = HomePage;
    if (!Page.empty())
        address += "/en/" + shortName + "/" + Page + ".htm";
    else if (!Action.empty())
        address += "/net/";
    std::string query;
    auto add = [&query](const char* name, const std::string& value) {
        if (value.empty())
            return;
        if (!query.empty())
            query += '&';
        query += name;
        query += '=';
        query += WithoutQuotes(value);
    };
    add("a", Action);
    add("p", shortName);
    add("v", version);
    add("i", stamp);
    if (!Extra.empty())
        query += "&" + Extra;
    return address + "?" + query;
}

void TzrInfo::OpenLink(const std::string& Page, const std::string& Action, const std::string& Extra) const {
    try {
        const std::string text = LinkText(Page, Action, Extra);
        if (!text.empty())
            platform::ShellOpen(text);
    } catch (...) {
        // Opening a link is never worth a failure of its own.
    }
}

void TzrInfo::AppException(const std::exception& E) const {
    OpenLink("", std::string("err&e=") + E.what(), "");
}

void TzrInfo::AppException(std::exception_ptr E) const {
    try {
        if (E)
            std::rethrow_exception(E);
    } catch (const std::exception& e) {
        AppException(e);
    } catch (...) {
        OpenLink("", "err&e=Unknown error", "");
    }
}

}  // namespace vantile
