#pragma once
// The main window: the project's bound values, the toolbar, the run buttons and
// one list row per task of the current batch.

#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <vector>

#include "project/zrProject.h"
#include "ui/zrBoundControlQt.h"
#include "ui/zrFormAbout.h"
#include "ui/zrFormBase.h"
#include "ui/zrRowModel.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
class QTreeView;

namespace vantile {
class TzrBatch;
class TzrConvertor;
class TzrNode;
}  // namespace vantile

namespace vantile::ui {

class TzrFrmCfg;

// A button that shows and runs an action; it can be rebound to another one.
class TzrActionButton : public QPushButton {
    Q_OBJECT

  public:
    explicit TzrActionButton(QWidget* parent) : QPushButton(parent) {}
    void SetAction(QAction* action);
    QAction* Action() const { return FAction; }

  private:
    void Sync();

    QPointer<QAction> FAction;
    QMetaObject::Connection FChanged;
    QMetaObject::Connection FClicked;
};

class TzrFrmMain : public TzrFrmBase {
    Q_OBJECT

  public:
    // Handler of errors that the window reports instead of raising: the
    // application-wide exception handler.
    using TzrErrorHandler = std::function<void(const std::string&)>;

    TzrFrmMain(TzrProject& Project, TzrLinkOpener OpenLink, QWidget* parent = nullptr);
    ~TzrFrmMain() override;

    // The about box that the About action shows (not owned).
    void SetAboutBox(TzrFrmAbout* About) { FAbout = About; }
    void SetErrorHandler(TzrErrorHandler Handler) { FErrorHandler = std::move(Handler); }

    // --- run control (UI thread) -------------------------------------------------
    void aSearchExecute();
    void aConvertExecute();
    void aSearchConvertExecute();
    void aPauseExecute();
    void aStopExecute();
    void NewBatch();
    void ExportList(const std::string& FileName);
    void AutoRun();

    // --- window handlers -----------------------------------------------------------
    void UpdateCaption();
    void SuggestTarget(const std::string& Folder);
    void bSourceClick();
    void bSourceFileClick();
    void bTargetClick();
    void aViewExecute();
    void pm1Popup();
    void ViewSource1Click();
    void OpenSource1Click();
    void ExportList1Click();
    void pm2Popup();
    void RecentProjectClick(QAction* Sender);
    void aOpenExecute();
    void aNewExecute();
    void aConfigExecute();
    void aSaveExecute();
    void aSaveAsExecute();
    void aUpdateExecute();
    void aHelpExecute();
    void aHomePageExecute();
    void aSupportsExecute();
    void aAboutExecute();
    // Paths dropped on Target (a child of the window): what the shell's drop
    // message does.
    void DropFiles(QWidget* Target, const QStringList& Paths);

    // --- state, for the run and for tests -------------------------------------------
    TzrBatch* Batch() const { return FBatch.get(); }
    int Running() const { return FRunning; }
    bool Stopped() const { return FStopped; }
    bool DaemonPending() const { return FDaemonTimer.isActive(); }
    TzrRowModel* Rows() const { return FRows; }
    // Applies the row changes requested so far.
    void FlushRows();

  protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual void BindControls();

  private:
    void BuildActions();
    void BuildToolBar();
    void BuildPanels();
    void BuildViewer();
    void FormCreate();
    void FormDestroy();

    // Row requests from any thread.
    void ShowTask(const std::string& FileName, TzrBatch* Batch, TzrNode* Node);
    void BatchTaskAdded(TzrBatch* Batch, TzrNode* Node);
    void BatchTaskDone(TzrBatch* Batch, TzrNode* Node);
    void OnFinish();
    void AfterRun();
    void ReportFailures();
    // The list is being replaced: refused while converters still use the batch.
    bool CanReplaceBatch();
    void SetIdleButtons();
    void Guarded(const std::function<void()>& handler);

    TzrProject& FProject;
    TzrLinkOpener FOpenLink;
    TzrErrorHandler FErrorHandler;
    QPointer<TzrFrmAbout> FAbout;
    TzrFrmCfg* zrFrmCfg = nullptr;

    // Shared with the converters of a run, so that closing the window can never
    // free the batch under them.
    std::shared_ptr<TzrBatch> FBatch;
    std::shared_ptr<TzrConvertor> FConvertor;
    int FRunning = 0;
    bool FStopped = false;
    bool FShown = false;
    bool FClosePending = false;
    bool FDestroying = false;
    QTimer FDaemonTimer;

    TzrRowModel* FRows;
    std::shared_ptr<TzrRowQueue> FRowQueue;
    std::vector<std::unique_ptr<TzrBoundControlQt>> FBound;

  public:
    // Components, by their names.
    QToolBar* ToolBar;
    QToolButton* tbOpen;
    QFrame* pAction;
    QFrame* pSource;
    QFrame* pTarget;
    QFrame* pOthers;
    QFrame* pSpacer;
    QFrame* pViewer;
    QLineEdit* eSource;
    QLabel* lblSource;
    QLineEdit* eTarget;
    QLabel* lblTarget;
    QCheckBox* cSubdir;
    QPushButton* bSource;
    QPushButton* bSourceFile;
    QPushButton* bTarget;
    TzrActionButton* bSearch;
    TzrActionButton* bView;
    TzrActionButton* bSearchConvert;
    TzrActionButton* bCreate;
    QTreeView* lViewer;
    QMenu* pm1;
    QMenu* pm2;
    QAction* BrowseFiles1;
    QAction* ViewSource1;
    QAction* OpenSource1;
    QAction* ViewOutput1;
    QAction* ExportList1;

    QAction* aConvert;
    QAction* aStop;
    QAction* aPause;
    QAction* aSearch;
    QAction* aSearchConvert;
    QAction* aView;
    QAction* aOpen;
    QAction* aNew;
    QAction* aConfig;
    QAction* aSave;
    QAction* aSaveAs;
    QAction* aUpdate;
    QAction* aHelp;
    QAction* aHomePage;
    QAction* aSupports;
    QAction* aAbout;
};

}  // namespace vantile::ui
