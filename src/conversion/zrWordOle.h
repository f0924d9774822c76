#pragma once
// The worker layer that drives the word processor through automation: one server
// per worker, started with its first document and quit when the worker ends; one
// document open at a time, closed without saving.

#include <cstdint>
#include <string>

#include "automation/core/variant.h"
#include "conversion/zrConvertor.h"

namespace vantile {

inline constexpr const char* kWordProgId = "Word.Application";
inline constexpr const char* kWpsProgId = "WPS.Application";
// Given as the open password when "SkipPassword" is on: a protected document then
// fails to open instead of asking for its password.
inline constexpr int kDummyPassword = 37;

class TzrWordOle : public TzrConvertor {
  public:
    TzrWordOle(TzrBatch* Batch, int Count, const TzrNodeEvent& OnTaskDone);
    ~TzrWordOle() override;

    // Creates the word processor (falling back to WPS), reads its version, applies
    // "AppVisible" and switches alerts off.
    void StartServer();
    // Quits the server without saving; errors are ignored.
    void QuitServer();
    // Starts the server when needed and opens FileName (read-only when "ReadOnly" is
    // on, with a dummy password when "SkipPassword" is on). A source that is missing
    // or no regular file raises an error naming it.
    void OpenDocument(const std::string& FileName);
    // Closes the open document without saving; errors are ignored.
    void CloseDocument();

    std::string GetAppPath() override;
    bool IsMacroEnabled() override;

    // The major version from a value such as "16.0"; 0 when it cannot be read.
    static int ParseVersion(const automation::Variant& Value);

    automation::Variant FApp = automation::Variant::null();
    automation::Variant FDoc = automation::Variant::null();
    int FServerVersion = 0;

  protected:
    void ThreadEnded() override;
};

// Creates a new automation server by ProgID; raises with the system's text followed
// by ", ProgID: " and the ProgID in double quotation marks.
automation::Variant CreateAutomationObject(const std::string& ProgId);

}  // namespace vantile
