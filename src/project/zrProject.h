#pragma once
// The batch project: the option list that says what a run converts and how,
// the product description written at start-up, the current project file, the
// recent-projects list and the controls mirrored into options.
//
// Threads: the option list is guarded by a reader/writer lock of its own. Every
// accessor and GetValue takes the shared lock for one lookup, SetValue and the
// whole-list operations take it exclusively, so workers may read options while
// the main thread edits them. Everything else (product fields, FFileName,
// FRecent, FCmdOptions, the controls) belongs to the main thread; the product
// fields are written once at start-up before any other thread exists.

#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "project/zrEvents.h"
#include "project/zrPropList.h"

namespace vantile {

enum TzrOverwriteMode { omNo, omYes, omSkip };

// Opens a help page, mail or vendor address: (Page, Action, Extra).
using TzrLinkOpener = std::function<void(const std::string&, const std::string&, const std::string&)>;

class TzrProject {
  public:
    // ExeName is the program file: the recent list and the default project live beside it.
    explicit TzrProject(std::string ExeName);
    // Drops the bindings (without touching the controls, which may be gone by
    // then) and writes the recent list (failures ignored).
    ~TzrProject();
    TzrProject(const TzrProject&) = delete;
    TzrProject& operator=(const TzrProject&) = delete;

    // --- option list ---------------------------------------------------------
    // First line whose name equals Key, letter case ignored; empty when absent.
    std::string GetValue(const std::string& Key) const;
    // Empty Value removes the first matching line; otherwise replaces it in place
    // (spelled as Key) or appends "Key=Value".
    void SetValue(const std::string& Key, const std::string& Value);
    // Every line followed by CR LF.
    std::string OptionsText() const;
    // Replaces all lines by those of Text (CR LF, LF or CR end a line).
    void SetOptionsText(const std::string& Text);
    std::vector<std::string> OptionLines() const;
    void SetOptionLines(std::vector<std::string> Lines);

    // Value readings; anything unreadable gives Default.
    static bool ReadBool(const std::string& Value, bool Default);
    static int ReadInt(const std::string& Value, int Default);

    // --- accessors (any thread; each looks the key up afresh) -----------------
    std::string Source() const;
    bool Subdir() const;
    std::string Target() const;
    // Target with the delimiter appended, the folder created when missing (a
    // failure to create it is ignored). Empty when Target is empty, so that an
    // unset target never turns into the root folder.
    std::string TargetDir() const;
    int ThreadsCount() const;  // at least 1
    TzrOverwriteMode IsOverwrite() const;
    bool KeepTargetSubdirs() const;
    bool MacroEnabled() const;
    bool DeleteSource() const;
    std::string RenameSource() const;
    bool KeepFileTime() const;
    bool PureConsole() const;
    bool RunAndClose() const;  // RunAndClose, or PureConsole, or Daemon > 0
    int Daemon() const;

    // --- command line -----------------------------------------------------------
    // Examines the program's first argument. Returns false when a switch ("I",
    // "U") has done its work and the program is to end now (exit code 0);
    // otherwise ends with OpenStartup and returns true.
    bool ParseCommandLine(const std::string& Param);

    // --- project files ------------------------------------------------------------
    bool IsProjectFile(const std::string& Path) const;  // ends with FProjectExt, case kept
    void OpenStartup();
    void Open(bool Silent);
    void NewProject();
    void Save();
    void SaveAs();
    // Controls into options; with WriteFile also the options into FFileName
    // (raises FileError on failure; the previous file stays intact) and AddRecent.
    void Commit(bool WriteFile);
    void AddRecent();
    std::string RecentListFile() const;      // the program path + ".log"
    std::string DefaultProjectFile() const;  // the program path with FProjectExt

    // --- control binding (main thread) ------------------------------------------
    // Controls are not owned. A control destroyed while the project lives must be
    // unregistered first; the project's own end never touches them.
    void RegisterControl(TzrBoundControl* Control);
    void UnregisterControl(TzrBoundControl* Control);
    void OptionsToControls();
    void ControlsToOptions();
    void ReleaseControls();

    const std::string& ExeName() const { return FExeName; }

    // --- fields ----------------------------------------------------------------------
    TzrConvertorClass FConvertorClass;
    bool FTargetFollowsSource = true;
    bool FOverwriteDefault = true;
    std::string FProjectExt;
    std::string FProjectFilter;
    std::string FFileName;
    std::vector<std::string> FRecent;  // newest first
    std::string FCmdOptions;           // lines separated by CR LF
    std::string FShortName;
    char FPathDelim = '/';
    std::string FTitle;
    std::string FSourceFilter;
    std::string FSourceMask;
    std::string FTargetExt;
    std::string FTargetExtAlt;
    std::string FTargetExtMacro;
    std::string FVersion;
    // How the "I" and "U" switches open the vendor's link; set by start-up.
    TzrLinkOpener FOpenLink;

  private:
    struct TzrBinding {
        TzrBoundControl* Control;
        std::unique_ptr<TzrPropList> Props;
    };

    void FillTargetFromSource();
    TzrPropList& Binding(std::size_t Index);

    std::string FExeName;
    std::vector<TzrBinding> FControls;
    mutable std::shared_mutex FOptionsLock;
    std::vector<std::string> FOptions;
    // False when the recent list file existed but could not be read: it is then
    // not overwritten at the end, so that a passing read error loses nothing.
    bool FRecentWritable = true;
};

// The process-wide project; set by start-up (tests set their own).
extern TzrProject* Project;

}  // namespace vantile
