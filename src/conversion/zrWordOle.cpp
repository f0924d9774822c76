#include "conversion/zrWordOle.h"

#include <cmath>
#include <limits>

#include "automation/registry.h"
#include "platform/files.h"
#include "project/zrProject.h"

namespace vantile {

using automation::Variant;

namespace {

bool option(const char* key) {
    return Project && TzrProject::ReadBool(Project->GetValue(key), false);
}

}  // namespace

Variant CreateAutomationObject(const std::string& ProgId) {
    // No per-thread initialisation is needed by the automation layer here.
    return Variant(automation::CreateAutomationObject(ProgId));
}

TzrWordOle::TzrWordOle(TzrBatch* Batch, int Count, const TzrNodeEvent& OnTaskDone)
    : TzrConvertor(Batch, Count, OnTaskDone) {}

TzrWordOle::~TzrWordOle() = default;

void TzrWordOle::ThreadEnded() {
    // The server is quit from the thread that created it.
    QuitServer();
    TzrConvertor::ThreadEnded();
}

void TzrWordOle::StartServer() {
    try {
        FApp = CreateAutomationObject(kWordProgId);
    } catch (const std::exception&) {
        FApp = CreateAutomationObject(kWpsProgId);
    }
    try {
        FServerVersion = ParseVersion(FApp.get("Version"));
    } catch (const std::exception&) {
    }
    if (option("AppVisible")) {
        FApp.put("Visible", true);
        FApp.put("WindowState", 2);
    }
    try {
        FApp.put("DisplayAlerts", 0);
    } catch (const std::exception&) {
    }
}

void TzrWordOle::QuitServer() {
    try {
        if (!FApp.isNothing())
            FApp.call("Quit", {false});
    } catch (...) {
    }
    FApp = Variant::null();
}

void TzrWordOle::OpenDocument(const std::string& FileName) {
    if (FApp.isNothing())
        StartServer();
    if (!FDoc.isNothing())
        return;
    // A source that vanished since the search (or is a folder, a FIFO ...) fails the
    // task; converting an empty stand-in document would report an empty workbook as
    // a success.
    if (!platform::FileExists(FileName))
        throw std::runtime_error("The source file does not exist or is not a regular file: " + FileName);
    const bool readOnly = option("ReadOnly");
    const Variant documents = FApp.get("Documents");
    if (option("SkipPassword"))
        FDoc = documents.call("Open",
                              {FileName, Variant::missing(), readOnly, Variant::missing(), kDummyPassword});
    else
        FDoc = documents.call("Open", {FileName, Variant::missing(), readOnly});
    try {
        const Variant options = FApp.get("Options");
        options.put("UpdateFieldsAtPrint", false);
        options.put("UpdateLinksAtPrint", false);
    } catch (const std::exception&) {
    }
}

void TzrWordOle::CloseDocument() {
    try {
        if (!FDoc.isNothing())
            FDoc.call("Close", {false});
    } catch (...) {
    }
    FDoc = Variant::null();
}

std::string TzrWordOle::GetAppPath() {
    return FApp.get("Path").toString() + "/WINWORD.EXE";
}

bool TzrWordOle::IsMacroEnabled() {
    if (FServerVersion >= 12) {
        try {
            return FDoc.get("HasVBProject").toBool();
        } catch (const std::exception&) {
        }
    }
    return TzrConvertor::IsMacroEnabled();
}

int TzrWordOle::ParseVersion(const Variant& Value) {
    long long n = 0;
    try {
        const double d = Value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > static_cast<double>(std::numeric_limits<int>::max()))
            throw std::range_error("version out of range");
        n = static_cast<long long>(std::trunc(d));
    } catch (const std::exception&) {
        std::string text;
        try {
            text = Value.toString();
        } catch (const std::exception&) {
        }
        const auto dot = text.find('.');
        if (dot != std::string::npos)
            text.erase(dot, 1);
        // A whole decimal number, or 0.
        std::size_t i = 0;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const bool digits = i < text.size() && text.find_first_not_of("0123456789", i) == std::string::npos;
        n = 0;
        if (digits && text.size() - i <= 9)
            n = std::stoll(text);
    }
    if (n >= 78)
        n /= 10;
    return static_cast<int>(n);
}

}  // namespace vantile
