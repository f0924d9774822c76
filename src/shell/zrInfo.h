#pragma once
// Product information and links: the help file, the support mail, the vendor's
// pages and the short notices to the vendor's action endpoint (installation,
// removal, failed documents, unhandled errors), all opened through the shell.

#include <cstdint>
#include <exception>
#include <string>

namespace vantile {

class TzrFileUtils {
  public:
    // The creation (birth) or last-write time of a file or folder, in universal or
    // local time, packed as a DOS date-time; -1 when the entry or the time is missing
    // or the time cannot be packed (before 1980, after 2107).
    static std::int32_t FileTimeStamp(const std::string& Path, bool CreationTime, bool LocalTime);
    // Date in the high 16 bits, time (seconds halved) in the low 16; -1 when out of range.
    static std::int32_t PackDosDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second);
};

class TzrInfo {
  public:
    static constexpr const char* HomePage = "https://www.gridfall.example";
    static constexpr const char* SupportMail = "support@gridfall.example";

    // The stamp is taken from the birth time of the program's folder.
    explicit TzrInfo(std::string ExeName);
    TzrInfo(std::string ExeName, std::int32_t InstallStamp)
        : FExeName(std::move(ExeName)), FInstallStamp(InstallStamp) {}

    // Builds the text for (Page, Action, Extra) and hands it to the shell. Product
    // facts (title, version, short name) come from the process-wide project. Help
    // opens nothing when neither help file exists. Never fails visibly.
    void OpenLink(const std::string& Page, const std::string& Action, const std::string& Extra) const;
    // The text OpenLink opens; empty for help without a help file.
    std::string LinkText(const std::string& Page, const std::string& Action, const std::string& Extra) const;

    // The application-wide handler: no message box, the vendor's action link with
    // the message instead.
    void AppException(const std::exception& E) const;
    void AppException(std::exception_ptr E) const;

    const std::string FExeName;
    const std::int32_t FInstallStamp;
};

extern TzrInfo* Info;

}  // namespace vantile
