#include "ui/zrFormMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <stdexcept>

#include "batch/zrBatch.h"
#include "conversion/zrConvertor.h"
#include "platform/shell_open.h"
#include "project/zrPickers.h"
#include "ui/zrFormAbout.h"
#include "ui/zrFormCfg.h"

namespace vantile::ui {

namespace {

// Everything up to and including the last "/"; empty when there is none.
std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithDelimiter(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32) {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) {
        --last;
    }
    return text.substr(first, last - first);
}

QIcon Icon(const char* name) {
    return QIcon(QStringLiteral(":/vantile/icons/") + QLatin1String(name));
}

QFrame* Panel(QWidget* parent, const char* name, QFrame::Shadow shadow) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(shadow == QFrame::Plain ? QFrame::NoFrame : QFrame::Panel);
    frame->setFrameShadow(shadow);
    return frame;
}

}  // namespace

// --- TzrActionButton -----------------------------------------------------------------

void TzrActionButton::SetAction(QAction* action) {
    disconnect(FChanged);
    disconnect(FClicked);
    FAction = action;
    if (!action) {
        return;
    }
    FChanged = connect(action, &QAction::changed, this, &TzrActionButton::Sync);
    FClicked = connect(this, &QPushButton::clicked, action, &QAction::trigger);
    Sync();
}

void TzrActionButton::Sync() {
    if (!FAction) {
        return;
    }
    setText(FAction->text());
    setToolTip(FAction->toolTip() == QString(FAction->text()).remove(QLatin1Char('&')) ? QString()
                                                                                       : FAction->toolTip());
    setStatusTip(FAction->statusTip());
    setEnabled(FAction->isEnabled());
    setVisible(FAction->isVisible());
}

// --- construction ----------------------------------------------------------------------

TzrFrmMain::TzrFrmMain(TzrProject& Project, TzrLinkOpener OpenLink, QWidget* parent)
    : TzrFrmBase(parent), FProject(Project), FOpenLink(std::move(OpenLink)) {
    setObjectName(QStringLiteral("zrFrmMain"));
    FRows = new TzrRowModel(this);
    // Row requests reach the UI thread as one queued call per burst.
    QPointer<TzrFrmMain> self(this);
    FRowQueue = std::make_shared<TzrRowQueue>([self] {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) {
            return;
        }
        QMetaObject::invokeMethod(
            app,
            [self] {
                if (self) {
                    self->FlushRows();
                }
            },
            Qt::QueuedConnection);
    });
    FDaemonTimer.setSingleShot(true);
    connect(&FDaemonTimer, &QTimer::timeout, this, [this] { Guarded([this] { AutoRun(); }); });

    BuildActions();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    layout->addWidget(ToolBar);
    BuildPanels();
    layout->addWidget(pAction);
    pSpacer = Panel(this, "pSpacer", QFrame::Plain);
    pSpacer->setFixedHeight(2);
    layout->addWidget(pSpacer);
    BuildViewer();
    layout->addWidget(pViewer, 1);

    FormCreate();
}

TzrFrmMain::~TzrFrmMain() {
    FDestroying = true;
    FormDestroy();
}

void TzrFrmMain::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        if (FErrorHandler) {
            FErrorHandler(e.what());
        } else {
            qWarning("%s", e.what());
        }
    } catch (...) {
        if (FErrorHandler) {
            FErrorHandler("Unknown error");
        }
    }
}

void TzrFrmMain::BuildActions() {
    struct Def {
        QAction** slot;
        const char* name;
        const char* caption;
        const char* hint;
        const char* icon;
        void (TzrFrmMain::*handler)();
    };
    const Def defs[] = {
        {&aConvert, "aConvert", "&Convert", "Convert the file(s) instantly", nullptr,
         &TzrFrmMain::aConvertExecute},
        {&aStop, "aStop", "Sto&p", nullptr, nullptr, &TzrFrmMain::aStopExecute},
        {&aPause, "aPause", "Pause", nullptr, nullptr, &TzrFrmMain::aPauseExecute},
        {&aSearch, "aSearch", "Search", "Search files from the source folder", nullptr,
         &TzrFrmMain::aSearchExecute},
        {&aSearchConvert, "aSearchConvert", "Start", nullptr, nullptr, &TzrFrmMain::aSearchConvertExecute},
        {&aView, "aView", "View", "View the convert result", nullptr, &TzrFrmMain::aViewExecute},
        {&aOpen, "aOpen", "&Open", "Open a batch project", "open.svg", &TzrFrmMain::aOpenExecute},
        {&aNew, "aNew", "&New", "New a batch project", "new.svg", &TzrFrmMain::aNewExecute},
        {&aConfig, "aConfig", "Config", "Config the options of the batch project", "config.svg",
         &TzrFrmMain::aConfigExecute},
        {&aSave, "aSave", "Sa&ve", "Save the batch project", "save.svg", &TzrFrmMain::aSaveExecute},
        {&aSaveAs, "aSaveAs", "Save &As", "Save the batch project as ...", "saveas.svg",
         &TzrFrmMain::aSaveAsExecute},
        {&aUpdate, "aUpdate", "Check &Update", nullptr, "update.svg", &TzrFrmMain::aUpdateExecute},
        {&aHelp, "aHelp", "&Help", nullptr, "help.svg", &TzrFrmMain::aHelpExecute},
        {&aHomePage, "aHomePage", "Home", nullptr, "home.svg", &TzrFrmMain::aHomePageExecute},
        {&aSupports, "aSupports", "Support", "Send us e-mail for support", "support.svg",
         &TzrFrmMain::aSupportsExecute},
        {&aAbout, "aAbout", "About", nullptr, "about.svg", &TzrFrmMain::aAboutExecute},
    };
    for (const Def& d : defs) {
        auto* a = new QAction(QLatin1String(d.caption), this);
        a->setObjectName(QLatin1String(d.name));
        a->setProperty("Tag", 0);
        if (d.hint) {
            a->setToolTip(QLatin1String(d.hint));
            a->setStatusTip(QLatin1String(d.hint));
        }
        if (d.icon) {
            a->setIcon(Icon(d.icon));
        }
        auto handler = d.handler;
        connect(a, &QAction::triggered, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
        *d.slot = a;
    }
    aSearchConvert->setVisible(false);
}

void TzrFrmMain::BuildToolBar() {
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    pm2 = new QMenu(this);
    pm2->setObjectName(QStringLiteral("pm2"));
    connect(pm2, &QMenu::aboutToShow, this, [this] { Guarded([this] { pm2Popup(); }); });
    connect(pm2, &QMenu::triggered, this,
            [this](QAction* a) { Guarded([this, a] { RecentProjectClick(a); }); });

    auto add = [this](QAction* action, const char* name) {
        ToolBar->addAction(action);
        auto* button = qobject_cast<QToolButton*>(ToolBar->widgetForAction(action));
        button->setObjectName(QLatin1String(name));
        button->setAutoRaise(true);
        button->setFixedWidth(101);
        return button;
    };
    auto separator = [this](const char* name) {
        QAction* s = ToolBar->addSeparator();
        s->setObjectName(QLatin1String(name));
        ToolBar->widgetForAction(s)->setFixedWidth(8);
    };
    tbOpen = add(aOpen, "tbOpen");
    tbOpen->setMenu(pm2);
    tbOpen->setPopupMode(QToolButton::MenuButtonPopup);
    add(aNew, "tbNew");
    add(aConfig, "tbConfig");
    add(aSave, "tbSave");
    add(aSaveAs, "tbSaveAs");
    separator("tb1");
    add(aUpdate, "tbUpdate");
    separator("tb2");
    add(aHelp, "tbHelp");
    add(aHomePage, "tbHomePage");
    add(aSupports, "tbSupports");
    add(aAbout, "tbAbout");
}

void TzrFrmMain::BuildPanels() {
    pAction = Panel(this, "pAction", QFrame::Sunken);
    pAction->setFixedHeight(70);
    auto* rows = new QVBoxLayout(pAction);
    rows->setContentsMargins(1, 1, 1, 1);
    rows->setSpacing(0);

    pSource = Panel(pAction, "pSource", QFrame::Plain);
    pSource->setFixedHeight(32);
    pSource->setToolTip(QStringLiteral("Choose or drag & drop source folder or file(s)"));
    pTarget = Panel(pAction, "pTarget", QFrame::Plain);
    pTarget->setFixedHeight(30);
    pTarget->setToolTip(QStringLiteral("Choose or drag & drop target folder"));
    pOthers = Panel(pAction, "pOthers", QFrame::Plain);
    rows->addWidget(pSource);
    rows->addWidget(pTarget);
    rows->addWidget(pOthers, 1);

    auto edit = [](QFrame* panel, const char* name, const char* caption, int y, QLabel** label) {
        auto* e = new QLineEdit(panel);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(50, y, 500, 21);
        // The hint names the bound property; it is never shown.
        MarkBound(e, "Text");
        auto* l = new QLabel(QLatin1String(caption), panel);
        l->setObjectName(QStringLiteral("lbl") + QLatin1String(name + 1));
        l->setBuddy(e);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setGeometry(0, y, 46, 21);
        *label = l;
        return e;
    };
    auto button = [](QFrame* panel, const char* name, const char* caption, const char* hint, int x, int y,
                     int width) {
        auto* b = new QPushButton(QLatin1String(caption), panel);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, width, 25);
        if (hint) {
            b->setToolTip(QLatin1String(hint));
            b->setStatusTip(QLatin1String(hint));
        }
        return b;
    };
    auto actionButton = [](QFrame* panel, const char* name, QAction* action, int x, int y, int width) {
        auto* b = new TzrActionButton(panel);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, width, 25);
        b->SetAction(action);
        return b;
    };

    eSource = edit(pSource, "eSource", "&Source", 10, &lblSource);
    bSource = button(pSource, "bSource", "Folder", "Choose a folder and click \"Search\" to list files", 550,
                     8, 38);
    bSourceFile = button(pSource, "bSourceFile", "Files",
                         "Choose file(s) and click \"Convert\" to convert them", 588, 8, 38);
    cSubdir = new QCheckBox(QStringLiteral("Su&b folders"), pSource);
    cSubdir->setObjectName(QStringLiteral("cSubdir"));
    cSubdir->setLayoutDirection(Qt::RightToLeft);
    // Right-aligned at its place; wider where the fallback font needs it.
    const int subdirLeft = std::max(628, 706 - cSubdir->sizeHint().width());
    cSubdir->setGeometry(subdirLeft, 10, 706 - subdirLeft, 21);
    MarkBound(cSubdir, "Checked");
    bSearch = actionButton(pSource, "bSearch", aSearch, 710, 8, 76);

    eTarget = edit(pTarget, "eTarget", "&Target", 6, &lblTarget);
    bTarget = button(pTarget, "bTarget", "Folder", "Choose a target folder to save the converted file(s)",
                     550, 4, 38);
    bView = actionButton(pTarget, "bView", aView, 588, 4, 38);
    bSearchConvert = actionButton(pTarget, "bSearchConvert", aSearchConvert, 630, 4, 76);
    bCreate = actionButton(pTarget, "bCreate", aConvert, 710, 4, 76);

    connect(bSource, &QPushButton::clicked, this, [this] { Guarded([this] { bSourceClick(); }); });
    connect(bSourceFile, &QPushButton::clicked, this, [this] { Guarded([this] { bSourceFileClick(); }); });
    connect(bTarget, &QPushButton::clicked, this, [this] { Guarded([this] { bTargetClick(); }); });
    for (QLineEdit* e : {eSource, eTarget}) {
        e->installEventFilter(this);
        e->setAcceptDrops(true);
    }
}

void TzrFrmMain::BuildViewer() {
    pViewer = Panel(this, "pViewer", QFrame::Sunken);
    auto* box = new QVBoxLayout(pViewer);
    box->setContentsMargins(1, 1, 1, 1);
    lViewer = new QTreeView(pViewer);
    lViewer->setObjectName(QStringLiteral("lViewer"));
    lViewer->setFrameShape(QFrame::NoFrame);
    lViewer->setRootIsDecorated(false);
    lViewer->setItemsExpandable(false);
    lViewer->setUniformRowHeights(true);
    lViewer->setAllColumnsShowFocus(true);
    lViewer->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lViewer->setSelectionBehavior(QAbstractItemView::SelectRows);
    lViewer->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lViewer->setIconSize(QSize(16, 16));
    lViewer->setTextElideMode(Qt::ElideMiddle);
    lViewer->setModel(FRows);
    QHeaderView* header = lViewer->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(16);
    header->resizeSection(TzrRowModel::colStatus, 30);
    header->setSectionResizeMode(TzrRowModel::colStatus, QHeaderView::Fixed);
    header->resizeSection(TzrRowModel::colFileName, 370);
    header->resizeSection(TzrRowModel::colResult, 370);
    lViewer->viewport()->setToolTip(
        QStringLiteral("Drag & drop file(s) here and click \"Convert\" to convert them"));
    lViewer->viewport()->installEventFilter(this);
    lViewer->viewport()->setAcceptDrops(true);
    lViewer->setDragDropMode(QAbstractItemView::DropOnly);
    box->addWidget(lViewer);

    pm1 = new QMenu(this);
    pm1->setObjectName(QStringLiteral("pm1"));
    auto entry = [this](const char* name, const char* caption) {
        QAction* a = pm1->addAction(QLatin1String(caption));
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto separator = [this](const char* name) { pm1->addSeparator()->setObjectName(QLatin1String(name)); };
    BrowseFiles1 = entry("BrowseFiles1", "Browse Files");
    separator("N1");
    ViewSource1 = entry("ViewSource1", "View  Source");
    OpenSource1 = entry("OpenSource1", "Open Source");
    separator("N2");
    // "View  Output" is the View action under another caption.
    ViewOutput1 = entry("ViewOutput1", "View  Output");
    separator("N3");
    ExportList1 = entry("ExportList1", "Export the List");
    connect(BrowseFiles1, &QAction::triggered, this, [this] { Guarded([this] { bSourceFileClick(); }); });
    connect(ViewSource1, &QAction::triggered, this, [this] { Guarded([this] { ViewSource1Click(); }); });
    connect(OpenSource1, &QAction::triggered, this, [this] { Guarded([this] { OpenSource1Click(); }); });
    connect(ViewOutput1, &QAction::triggered, aView, &QAction::trigger);
    connect(ExportList1, &QAction::triggered, this, [this] { Guarded([this] { ExportList1Click(); }); });
    connect(aView, &QAction::changed, ViewOutput1, [this] { ViewOutput1->setEnabled(aView->isEnabled()); });
    connect(pm1, &QMenu::aboutToShow, this, [this] { Guarded([this] { pm1Popup(); }); });
    lViewer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lViewer, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pm1->popup(lViewer->viewport()->mapToGlobal(pos)); });
}

void TzrFrmMain::BindControls() {
    for (QObject* control : std::initializer_list<QObject*>{eSource, cSubdir, eTarget}) {
        FBound.push_back(std::make_unique<TzrBoundControlQt>(control));
        FProject.RegisterControl(FBound.back().get());
    }
}

void TzrFrmMain::FormCreate() {
    BindControls();
    Guarded([this] { FProject.OpenStartup(); });
    UpdateCaption();
}

void TzrFrmMain::FormDestroy() {
    FDaemonTimer.stop();
    if (FConvertor && FRunning > 0) {
        // The converters keep the batch alive until they end.
        FConvertor->TerminateAll();
    }
    FRowQueue->Reset(nullptr);
    FConvertor.reset();
    std::shared_ptr<TzrBatch> batch;
    batch.swap(FBatch);
    try {
        batch.reset();
    } catch (...) {
    }
    for (const auto& bound : FBound) {
        FProject.UnregisterControl(bound.get());
    }
    FBound.clear();
}

void TzrFrmMain::FormShow() {
    if (!FShown) {
        FShown = true;
        // Started once the window is on screen, so that an unattended run shows its rows.
        QTimer::singleShot(0, this, [this] { Guarded([this] { AutoRun(); }); });
    }
}

void TzrFrmMain::closeEvent(QCloseEvent* event) {
    if (FRunning > 0) {
        // The converters still work on the batch: stop them and close when the last
        // one has ended.
        FClosePending = true;
        event->ignore();
        if (aStop->isEnabled()) {
            Guarded([this] { aStopExecute(); });
        }
        return;
    }
    FDaemonTimer.stop();
    TzrFrmBase::closeEvent(event);
}

// --- captions and pickers ----------------------------------------------------------------

void TzrFrmMain::UpdateCaption() {
    std::string caption = FProject.FTitle + " - " + FProject.FFileName;
    if (FProject.FFileName.empty()) {
        caption += "None";
    }
    setWindowTitle(qs(caption));
}

void TzrFrmMain::SuggestTarget(const std::string& Folder) {
    if (FProject.FTargetFollowsSource && eTarget->text().isEmpty()) {
        eTarget->setText(qs(Folder));
    }
}

void TzrFrmMain::bSourceClick() {
    const std::string initial = FolderPart(us(eSource->text()));
    std::string folder;
    SelectFolder(initial, folder);
    folder = WithDelimiter(folder);
    eSource->setText(qs(folder + FProject.FSourceMask));
    SuggestTarget(folder);
}

void TzrFrmMain::bSourceFileClick() {
    std::string text = us(eSource->text());
    if (!SelectFiles(FProject.FSourceFilter, text, true)) {
        return;
    }
    if (!CanReplaceBatch()) {
        return;
    }
    text = Trim(text);
    if (text.find('\n') == std::string::npos) {
        eSource->setText(qs(text));
    }
    NewBatch();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string piece = Trim(text.substr(start, end - start));
        if (!piece.empty()) {
            ShowTask(piece, FBatch.get(), nullptr);
        }
        start = end + 1;
    }
}

void TzrFrmMain::bTargetClick() {
    std::string folder;
    SelectFolder(us(eTarget->text()), folder);
    eTarget->setText(qs(WithDelimiter(folder)));
}

void TzrFrmMain::aViewExecute() {
    if (!eTarget->text().isEmpty()) {
        platform::ShellOpen(us(eTarget->text()));
    } else {
        eTarget->setFocus();
    }
}

void TzrFrmMain::pm1Popup() {
    const bool selected = lViewer->selectionModel() && lViewer->selectionModel()->hasSelection();
    OpenSource1->setEnabled(selected);
    ViewSource1->setEnabled(selected);
}

namespace {

// The "File Name" of the first selected row, in row order; empty when none.
QString FirstSelectedPath(QTreeView* view, TzrRowModel* rows) {
    if (!view->selectionModel()) {
        return {};
    }
    QModelIndexList selected = view->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return {};
    }
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return rows->Row(selected.first().row()).FileName;
}

}  // namespace

void TzrFrmMain::ViewSource1Click() {
    const QString path = FirstSelectedPath(lViewer, FRows);
    if (!path.isEmpty()) {
        platform::ShellOpen(FolderPart(us(path)));
    }
}

void TzrFrmMain::OpenSource1Click() {
    const QString path = FirstSelectedPath(lViewer, FRows);
    if (!path.isEmpty()) {
        platform::ShellOpen(us(path));
    }
}

void TzrFrmMain::ExportList1Click() {
    std::string name;
    if (SelectSaveFile("Log File|*.log", ".log", name)) {
        ExportList(name);
    }
}

void TzrFrmMain::pm2Popup() {
    pm2->clear();
    for (const std::string& path : FProject.FRecent) {
        // The caption is the path itself: no accelerator letters.
        QAction* entry = pm2->addAction(QString(qs(path)).replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setData(qs(path));
        entry->setEnabled(QFileInfo(qs(path)).isFile());
    }
}

void TzrFrmMain::RecentProjectClick(QAction* Sender) {
    if (!Sender || !Sender->data().isValid()) {
        return;
    }
    FProject.FFileName = us(Sender->data().toString());
    FProject.Open(true);
    UpdateCaption();
}

// --- project and product actions ------------------------------------------------------------

void TzrFrmMain::aOpenExecute() {
    FProject.Open(false);
    UpdateCaption();
}

void TzrFrmMain::aNewExecute() {
    FProject.NewProject();
    UpdateCaption();
}

void TzrFrmMain::aConfigExecute() {
    if (!zrFrmCfg) {
        zrFrmCfg = new TzrFrmCfg(FProject, FOpenLink, this);
    }
    zrFrmCfg->ShowModal();
    UpdateCaption();
}

void TzrFrmMain::aSaveExecute() {
    FProject.Save();
    UpdateCaption();
}

void TzrFrmMain::aSaveAsExecute() {
    FProject.SaveAs();
    UpdateCaption();
}

void TzrFrmMain::aUpdateExecute() {
    FOpenLink("download", "", "");
}
void TzrFrmMain::aHelpExecute() {
    FOpenLink("h", "", "");
}
void TzrFrmMain::aHomePageExecute() {
    FOpenLink("", "", "");
}
void TzrFrmMain::aSupportsExecute() {
    FOpenLink("supports", "", "");
}

void TzrFrmMain::aAboutExecute() {
    if (FAbout) {
        FAbout->ShowAbout();
    }
}

// --- dropping -----------------------------------------------------------------------------------

bool TzrFrmMain::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool target = widget && (widget == eSource || widget == eTarget || widget == lViewer->viewport());
    if (target) {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDropEvent*>(event);
                if (drag->mimeData()->hasUrls()) {
                    drag->acceptProposedAction();
                    return true;
                }
                break;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (drop->mimeData()->hasUrls()) {
                    QStringList paths;
                    for (const QUrl& url : drop->mimeData()->urls()) {
                        if (url.isLocalFile()) {
                            paths << url.toLocalFile().left(1024);
                        }
                    }
                    drop->acceptProposedAction();
                    QWidget* control =
                        widget == lViewer->viewport() ? static_cast<QWidget*>(lViewer) : widget;
                    Guarded([this, control, paths] { DropFiles(control, paths); });
                    return true;
                }
                break;
            }
            case QEvent::MouseButtonDblClick:
                if (widget == eSource) {
                    Guarded([this] { bSourceFileClick(); });
                    return true;
                }
                if (widget == eTarget) {
                    Guarded([this] { bTargetClick(); });
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return TzrFrmBase::eventFilter(watched, event);
}

void TzrFrmMain::DropFiles(QWidget* Target, const QStringList& Paths) {
    const bool isEdit = qobject_cast<QLineEdit*>(Target) != nullptr;
    const bool isList = qobject_cast<QTreeView*>(Target) != nullptr;
    if (!isEdit && !isList) {
        return;
    }
    const qsizetype n = Paths.size();
    for (qsizetype i = 0; i < n; ++i) {
        const std::string path = us(Paths[i]);
        if (n == 1 && FProject.IsProjectFile(path)) {
            FProject.FFileName = path;
            FProject.Open(true);
            break;
        }
        if (isEdit) {
            static_cast<QLineEdit*>(Target)->setText(Paths[i]);
            SuggestTarget(FolderPart(path));
            break;
        }
        if (i == 0) {
            if (!CanReplaceBatch()) {
                return;
            }
            NewBatch();
        }
        ShowTask(path, FBatch.get(), nullptr);
    }
}

}  // namespace vantile::ui
