#pragma once
// Helpers of the window tests: a project in a temporary folder with the product
// description, scripted pickers, a recorder of opened links, and a converter class
// whose outcome and pace the test controls.

#include <QTemporaryDir>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "conversion/zrConvertor.h"
#include "platform/main_thread.h"
#include "project/zrPickers.h"
#include "project/zrProject.h"
#include "shell/zrApp.h"

namespace vantile::ui::test {

// Answers of the pickers, taken in order; an empty queue answers "cancel".
class TScriptedPickers : public TzrPickers {
  public:
    TScriptedPickers() : FPrevious(InstallPickers(this)) {}
    ~TScriptedPickers() override { InstallPickers(FPrevious); }

    std::vector<std::string> Folders;  // SelectFolder results
    std::vector<std::string> Files;    // SelectFiles results (already CR LF joined)
    std::vector<std::string> Saves;    // SelectSaveFile results
    std::vector<std::string> Calls;    // "Folder:<start>", "Files:<start>", "Save:<start>"

    void SelectFolder(const std::string& Start, std::string& Result) override;
    bool SelectFiles(const std::string& Filter, std::string& Name, bool Multi) override;
    bool SelectSaveFile(const std::string& Filter, const std::string& DefExt, std::string& Name) override;

  private:
    TzrPickers* FPrevious;
};

// A gate that lets a given number of conversions pass; the others wait.
class TGate {
  public:
    void Allow(int n);
    void Open();  // lets every conversion pass from now on
    void Pass();  // called by a converter before its conversion
    int Waiting();

  private:
    std::mutex FLock;
    std::condition_variable FChanged;
    int FPermits = 0;
    bool FOpen = true;
    int FWaiting = 0;
};

// The converter of the tests: a file whose name contains "bad" fails with a
// two-line message, every other one "converts" into an empty .xls in the target.
class TFakeConvertor : public TzrConvertor {
  public:
    using TzrConvertor::TzrConvertor;
    static TzrConvertorClass Class();
    static TGate Gate;
    void ConvertTask(TzrBatch* Batch, TzrNode* Node) override;
};

// The process-wide objects of a window run, in a temporary folder.
class TWindowEnv {
  public:
    TWindowEnv();
    ~TWindowEnv();

    std::string Dir() const { return FDir.path().toStdString() + "/"; }
    // Writes a file below the folder and returns its path.
    std::string Write(const std::string& Relative, const std::string& Content = "x");

    TzrProject& Project() { return *FProject; }
    static std::string ReadAll(const std::string& Path);
    std::vector<std::string> Links;  // "Page|Action|Extra" of each OpenLink
    TzrLinkOpener Opener();

  private:
    QTemporaryDir FDir;
    std::unique_ptr<TzrApp> FApp;
    std::unique_ptr<TzrProject> FProject;
    std::unique_ptr<platform::ScopedMainThreadInvoker> FInvoker;
};

// A minimal .docx with one 2 x 2 table.
std::string MinimalDocx(const std::string& a, const std::string& b, const std::string& c,
                        const std::string& d);

}  // namespace vantile::ui::test
