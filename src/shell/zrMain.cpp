#include "shell/zrMain.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "batch/zrBatch.h"
#include "conversion/zrConvertor.h"
#include "platform/text_file.h"
#include "project/zrProject.h"
#include "shell/zrInfo.h"

namespace vantile {

TzrMain* Runner = nullptr;

TzrMain::TzrMain() = default;
TzrMain::~TzrMain() = default;

std::string TzrMain::ResultLine(const TzrNode& Node) {
    const int status = Node.Status.load();
    const char* word = status == 1 ? "Success" : status == 2 ? "Failure" : "Running";
    return std::string(word) + " => " + Node.FileName + " => " + Node.ResultText;
}

std::string TzrMain::CommaText(const std::vector<std::string>& Items) {
    std::string text;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (i > 0)
            text += ',';
        const std::string& item = Items[i];
        const bool quote = std::any_of(item.begin(), item.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"';
        });
        if (!quote) {
            text += item;
            continue;
        }
        text += '"';
        for (char c : item) {
            text += c;
            if (c == '"')
                text += '"';
        }
        text += '"';
    }
    return text;
}

void TzrMain::TaskDone(TzrBatch* /*Batch*/, TzrNode* Node) {
    const std::string line = ResultLine(*Node);
    std::lock_guard lock(FLogLock);
    FLog.push_back(line);
}

std::vector<std::string> TzrMain::Log() const {
    std::lock_guard lock(FLogLock);
    return FLog;
}

void TzrMain::Run() {
    {
        std::lock_guard lock(FLogLock);
        FLog.clear();
    }
    FBatch = std::make_unique<TzrBatch>();
    const bool subdir = Project->Subdir();
    const std::string targetDir = Project->TargetDir();
    const std::string source = Project->Source();
    // Without a target the files would have nowhere to go; say so instead of
    // failing somewhere inside the search.
    if (targetDir.empty())
        throw std::runtime_error("The project names no target folder (option \"Target\"), and source \"" +
                                 source + "\" gives no folder to take it from.");
    FBatch->Prepare(source, targetDir, subdir);
    FConvertor = TzrConvertor::CreateConvertors(FBatch.get(), Project->TargetDir(),
                                                [this](TzrBatch* b, TzrNode* n) { TaskDone(b, n); });
    ConvertorsAlive = FConvertor->FCount;
    FConvertor->ResumeAll();
    while (ConvertorsAlive.load() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Every loop is over; let the threads finish their last steps before reporting.
    WaitForWorkerThreads();
    Report();
}

void TzrMain::Report() {
    if (FBatch && FBatch->ErrorCount() > 0) {
        std::string text = CommaText(FBatch->ErrorTexts());
        std::string escaped;
        for (char c : text) {
            if (c == '?')
                escaped += "%3F";
            else
                escaped += c;
        }
        if (Info)
            Info->OpenLink("", "err&e=" + escaped, "");
    }
    const std::string logFile = Project->GetValue("LogFile");
    if (!logFile.empty()) {
        // Written from the list itself: every converter has ended, and a copy would
        // double the memory a long run needs at its end.
        std::lock_guard lock(FLogLock);
        platform::WriteTextLines(logFile, FLog);
    }
}

}  // namespace vantile
