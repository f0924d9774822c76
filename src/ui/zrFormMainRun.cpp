// Running a batch from the main window: search, convert, pause, stop, the rows of
// the tasks, the end of a run and the unattended modes.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

#include "batch/zrBatch.h"
#include "conversion/zrConvertor.h"
#include "platform/files.h"
#include "platform/text_file.h"
#include "shell/zrMain.h"
#include "ui/zrFormMain.h"

namespace vantile::ui {

namespace {

std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Only the first line of a text shows in a column.
QString FirstLine(const std::string& text) {
    const std::size_t end = text.find_first_of("\r\n");
    return qs(end == std::string::npos ? text : text.substr(0, end));
}

const char* StatusWord(int status) {
    switch (status) {
        case 1:
            return "Success";
        case 2:
            return "Failure";
        default:
            return "Running";
    }
}

// Row requests on the thread that makes them. The batch lock makes the decision
// between a new row and a mark agree with the task order.
void RequestTaskRow(TzrRowQueue& queue, TzrBatch* batch, TzrNode* node) {
    batch->LockTasks();
    try {
        const int requested = queue.RequestedRows(batch);
        if (requested > node->Index) {
            queue.Push(batch,
                       {TzrRowModel::TzrOp::Mark, node->Index, node->Status.load(), qs(node->FileName), {}});
        } else {
            queue.Push(batch, {TzrRowModel::TzrOp::Insert, node->Index, 0, qs(node->FileName), {}});
        }
    } catch (...) {
        batch->UnlockTasks();
        throw;
    }
    batch->UnlockTasks();
}

void RequestTaskDone(TzrRowQueue& queue, TzrBatch* batch, TzrNode* node) {
    RequestTaskRow(queue, batch, node);
    queue.Push(batch, {TzrRowModel::TzrOp::Done, node->Index, node->Status.load(), qs(node->FileName),
                       FirstLine(node->ResultText)});
}

}  // namespace

void TzrFrmMain::FlushRows() {
    std::vector<TzrRowModel::TzrOp> ops = FRowQueue->Take();
    if (!ops.empty()) {
        FRows->Apply(ops);
    }
}

void TzrFrmMain::ShowTask(const std::string& FileName, TzrBatch* Batch, TzrNode* Node) {
    if (!Batch) {
        return;
    }
    if (!Node) {
        SuggestTarget(FolderPart(FileName));
        Batch->AddFile(FileName);
        return;
    }
    RequestTaskRow(*FRowQueue, Batch, Node);
}

void TzrFrmMain::BatchTaskAdded(TzrBatch* Batch, TzrNode* Node) {
    RequestTaskRow(*FRowQueue, Batch, Node);
}

void TzrFrmMain::BatchTaskDone(TzrBatch* Batch, TzrNode* Node) {
    RequestTaskDone(*FRowQueue, Batch, Node);
}

bool TzrFrmMain::CanReplaceBatch() {
    if (FRunning > 0) {
        // The converters still work on this batch's tasks; the user stops or pauses first.
        QApplication::beep();
        return false;
    }
    return true;
}

void TzrFrmMain::NewBatch() {
    if (FRunning > 0) {
        throw std::runtime_error("The list cannot be replaced while files are being converted");
    }
    FRowQueue->Reset(nullptr);
    if (FBatch) {
        try {
            FBatch.reset();
        } catch (...) {
        }
    }
    FBatch = std::make_shared<TzrBatch>();
    FRows->Clear();
    FRowQueue->Reset(FBatch.get());
    // The handler holds the queue, not the window: a search can outlive neither.
    std::shared_ptr<TzrRowQueue> queue = FRowQueue;
    FBatch->OnTaskAdded = [queue](TzrBatch* batch, TzrNode* node) { RequestTaskRow(*queue, batch, node); };
}

void TzrFrmMain::aSearchExecute() {
    const std::string source = us(eSource->text());
    if (source.empty()) {
        eSource->setFocus();
        AfterRun();
        return;
    }
    NewBatch();
    if (source.rfind("http", 0) == 0) {
        ShowTask(source, FBatch.get(), nullptr);
    } else {
        FBatch->Prepare(source, us(eTarget->text()), cSubdir->isChecked());
    }
}

void TzrFrmMain::aSearchConvertExecute() {
    aSearchExecute();
    aConvertExecute();
}

void TzrFrmMain::aConvertExecute() {
    if (FRunning > 0) {
        return;
    }
    if (eTarget->text().isEmpty()) {
        eTarget->setFocus();
        AfterRun();
        return;
    }
    // The target must be a folder: masks and existing files give way to their folder.
    std::string target = us(eTarget->text());
    for (;;) {
        std::string bare = target;
        if (!bare.empty() && bare.back() == '/') {
            bare.pop_back();
        }
        const bool isMask = target.find_first_of("?*") != std::string::npos;
        if (!isMask && !(!bare.empty() && platform::FileExists(bare) && !platform::DirectoryExists(bare))) {
            break;
        }
        target = FolderPart(bare);
        if (!target.empty() && target.back() == '/' && target.size() > 1) {
            target.pop_back();
        }
    }
    if (target.empty()) {
        // Nothing of the text names a folder: do not fall back to the root folder.
        eTarget->setText(QString());
        eTarget->setFocus();
        AfterRun();
        return;
    }
    if (FProject.FPathDelim == '/' && !platform::DirectoryExists(target)) {
        try {
            platform::ForceDirectories(target);
        } catch (...) {
        }
    }
    if (target.back() != FProject.FPathDelim) {
        target += FProject.FPathDelim;
    }
    eTarget->setText(qs(target));
    FProject.Commit(false);

    if (!FBatch) {
        try {
            aSearchExecute();
        } catch (...) {
            AfterRun();
            throw;
        }
        if (!FBatch) {
            return;
        }
    }
    if (FBatch->AllTaken()) {
        try {
            aSearchExecute();
        } catch (...) {
            AfterRun();
            return;
        }
    }

    aConvert->setEnabled(false);
    aSearchConvert->setEnabled(false);
    aSearch->setEnabled(false);

    std::shared_ptr<TzrBatch> batch = FBatch;
    std::shared_ptr<TzrRowQueue> queue = FRowQueue;
    // The handlers keep the batch alive for as long as a converter can call them.
    TzrNodeEvent done = [batch, queue](TzrBatch* b, TzrNode* node) { RequestTaskDone(*queue, b, node); };
    try {
        FConvertor = TzrConvertor::CreateConvertors(FBatch.get(), target, done);
    } catch (...) {
        SetIdleButtons();
        AfterRun();
        throw;
    }
    FDaemonTimer.stop();
    FRunning = FConvertor->FCount;
    QPointer<TzrFrmMain> self(this);
    FConvertor->SetOnFinish([self, batch] {
        if (self) {
            self->Guarded([&self] { self->OnFinish(); });
        }
    });

    aStop->setEnabled(true);
    bCreate->SetAction(aPause);
    aPause->setEnabled(true);
    bSearchConvert->SetAction(aStop);
    FConvertor->ResumeAll();
    FStopped = false;
}

void TzrFrmMain::aPauseExecute() {
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    if (FConvertor) {
        FConvertor->TerminateAll();
    }
    aStop->setProperty("Tag", 0);
}

void TzrFrmMain::aStopExecute() {
    FStopped = true;
    if (FRunning == 0 && FDaemonTimer.isActive()) {
        // Stop during the wait of a repeating run: no further repetition.
        FDaemonTimer.stop();
        SetIdleButtons();
        return;
    }
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    if (FBatch) {
        FBatch->Terminate();
    }
    if (FConvertor) {
        FConvertor->TerminateAll();
    }
    aStop->setProperty("Tag", 1);
}

void TzrFrmMain::SetIdleButtons() {
    aConvert->setEnabled(true);
    bCreate->SetAction(aConvert);
    aSearchConvert->setEnabled(true);
    bSearchConvert->SetAction(aSearchConvert);
    aSearch->setEnabled(true);
}

void TzrFrmMain::OnFinish() {
    FRunning -= 1;
    if (FRunning > 0) {
        return;
    }
    // Every result requested before the end shows before the run counts as over.
    FlushRows();
    FConvertor.reset();
    SetIdleButtons();
    ReportFailures();
    if (aStop->property("Tag").toInt() == 1) {
        FBatch.reset();
        FRowQueue->Reset(nullptr);
        aStop->setProperty("Tag", 0);
    }
    if (FClosePending) {
        FClosePending = false;
        close();
        return;
    }
    AfterRun();
}

void TzrFrmMain::ReportFailures() {
    if (!FBatch || FBatch->ErrorCount() <= 0 || !FOpenLink) {
        return;
    }
    std::string text = TzrMain::CommaText(FBatch->ErrorTexts());
    std::string escaped;
    for (char c : text) {
        if (c == '?') {
            escaped += "%3F";
        } else {
            escaped += c;
        }
    }
    FOpenLink("", "err&e=" + escaped, "");
}

void TzrFrmMain::AfterRun() {
    if (FDestroying || !FProject.RunAndClose()) {
        return;
    }
    const std::string logFile = FProject.GetValue("LogFile");
    if (!logFile.empty()) {
        try {
            ExportList(logFile);
        } catch (const std::exception& e) {
            // The run still closes or repeats; the error is reported, not raised.
            if (FErrorHandler) {
                FErrorHandler(e.what());
            }
        }
    }
    const int daemon = FProject.Daemon();
    if (daemon <= 0) {
        // Closed from the event loop, so that the handler that ended the run returns first.
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (!FStopped) {
        // A timer, not a nested call: repetitions never grow the stack.
        FDaemonTimer.start(daemon);
        bSearchConvert->SetAction(aStop);
        aStop->setEnabled(true);
    }
}

void TzrFrmMain::AutoRun() {
    if (FProject.RunAndClose()) {
        if (bSearchConvert->Action() == aStop && FRunning == 0) {
            SetIdleButtons();
        }
        aConvertExecute();
    }
}

void TzrFrmMain::ExportList(const std::string& FileName) {
    FlushRows();
    std::vector<std::string> lines;
    const int count = FRows->rowCount();
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TzrRow& row = FRows->Row(i);
        lines.push_back(std::string("[") + StatusWord(row.Status) + "] => " + us(row.FileName) + " => " +
                        us(row.Result));
    }
    platform::WriteTextLines(FileName, lines);
}

}  // namespace vantile::ui
