#pragma once
// The console run: the project's source converted once, without a window, the
// results in the log file and the failures reported through the vendor's link.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantile {

class TzrBatch;
class TzrNode;
class TzrConvertor;

class TzrMain {
  public:
    TzrMain();
    ~TzrMain();
    TzrMain(const TzrMain&) = delete;
    TzrMain& operator=(const TzrMain&) = delete;

    // The whole run on the calling (main) thread; returns when every converter has
    // ended and the report is done. Raises when the run cannot start (no target)
    // or the log file cannot be written.
    void Run();
    // Per-task handler, called on the converter threads.
    void TaskDone(TzrBatch* Batch, TzrNode* Node);
    // The end of the run: the failure report, then the log file.
    void Report();

    // The result lines so far, in finishing order.
    std::vector<std::string> Log() const;

    // "Success|Failure|Running => source => result".
    static std::string ResultLine(const TzrNode& Node);
    // Entries separated by commas; one holding a character of code 32 or less, a
    // comma or a double quote is enclosed in double quotes, its quotes doubled.
    static std::string CommaText(const std::vector<std::string>& Items);

    std::unique_ptr<TzrBatch> FBatch;
    std::shared_ptr<TzrConvertor> FConvertor;

  private:
    mutable std::mutex FLogLock;
    std::vector<std::string> FLog;
};

extern TzrMain* Runner;

}  // namespace vantile
