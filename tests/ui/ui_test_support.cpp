#include "ui_test_support.h"

#include <zlib.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "batch/zrBatch.h"
#include "shell/zrStartup.h"
#include "ui/zrWindowRun.h"

namespace vantile::ui::test {

namespace {

std::string Take(std::vector<std::string>& queue) {
    std::string front = queue.front();
    queue.erase(queue.begin());
    return front;
}

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, unsigned long v) {
    Put16(out, static_cast<unsigned>(v & 0xFFFF));
    Put16(out, static_cast<unsigned>((v >> 16) & 0xFFFF));
}

// A zip archive with stored (uncompressed) entries.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out;
    std::string central;
    for (const auto& [name, data] : entries) {
        const unsigned long crc =
            crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        const unsigned long offset = out.size();
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0x21);
        Put32(out, crc);
        Put32(out, data.size());
        Put32(out, data.size());
        Put16(out, static_cast<unsigned>(name.size()));
        Put16(out, 0);
        out += name;
        out += data;

        Put32(central, 0x02014b50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0x21);
        Put32(central, crc);
        Put32(central, data.size());
        Put32(central, data.size());
        Put16(central, static_cast<unsigned>(name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, 0);
        Put32(central, offset);
        central += name;
    }
    const unsigned long centralOffset = out.size();
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, central.size());
    Put32(out, centralOffset);
    Put16(out, 0);
    return out;
}

}  // namespace

void TScriptedPickers::SelectFolder(const std::string& Start, std::string& Result) {
    Calls.push_back("Folder:" + Start);
    Result = Folders.empty() ? Start : Take(Folders);
}

bool TScriptedPickers::SelectFiles(const std::string&, std::string& Name, bool) {
    Calls.push_back("Files:" + Name);
    if (Files.empty()) {
        return false;
    }
    Name = Take(Files);
    return true;
}

bool TScriptedPickers::SelectSaveFile(const std::string&, const std::string&, std::string& Name) {
    Calls.push_back("Save:" + Name);
    if (Saves.empty()) {
        return false;
    }
    Name = Take(Saves);
    return true;
}

void TGate::Allow(int n) {
    std::lock_guard<std::mutex> lock(FLock);
    FOpen = false;
    FPermits += n;
    FChanged.notify_all();
}

void TGate::Open() {
    std::lock_guard<std::mutex> lock(FLock);
    FOpen = true;
    FChanged.notify_all();
}

void TGate::Pass() {
    std::unique_lock<std::mutex> lock(FLock);
    ++FWaiting;
    FChanged.wait(lock, [this] { return FOpen || FPermits > 0; });
    --FWaiting;
    if (!FOpen) {
        --FPermits;
    }
}

int TGate::Waiting() {
    std::lock_guard<std::mutex> lock(FLock);
    return FWaiting;
}

TGate TFakeConvertor::Gate;

TzrConvertorClass TFakeConvertor::Class() {
    return [](TzrBatch* batch, int count, const TzrNodeEvent& done) {
        return std::make_shared<TFakeConvertor>(batch, count, done);
    };
}

void TFakeConvertor::ConvertTask(TzrBatch* Batch, TzrNode* Node) {
    Gate.Pass();
    const std::string name = Node->FileName.substr(Node->FileName.rfind('/') + 1);
    if (name.find("bad") != std::string::npos) {
        Node->ResultText = "Cannot read " + name + "?\nsecond line";
        Node->Status = 2;
        Batch->AddError("Cannot read " + name + "?");
        return;
    }
    const std::string target = Batch->TargetFolder() + name + ".xls";
    QFile out(QString::fromStdString(target));
    if (!out.open(QIODevice::WriteOnly)) {
        Node->ResultText = "Cannot write " + target;
        Node->Status = 2;
        Batch->AddError(Node->ResultText);
        return;
    }
    Node->ResultText = target;
    Node->Status = 1;
    Batch->AddSuccess();
}

TWindowEnv::TWindowEnv() {
    if (!FDir.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    FApp = std::make_unique<TzrApp>(Dir() + "vantile", "");
    FProject = std::make_unique<TzrProject>(Dir() + "vantile");
    vantile::Project = FProject.get();
    WriteProductDescription(*FProject, *FApp);
    FProject->FConvertorClass = TFakeConvertor::Class();
    FInvoker = std::make_unique<platform::ScopedMainThreadInvoker>(UiThreadInvoker());
    TFakeConvertor::Gate.Open();
}

TWindowEnv::~TWindowEnv() {
    TFakeConvertor::Gate.Open();
    // Ending workers hand their finish notice to this thread: keep serving it.
    std::atomic<bool> ended{false};
    std::thread waiter([&ended] {
        WaitForWorkerThreads();
        ended = true;
    });
    while (!ended) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    waiter.join();
    FInvoker.reset();
    vantile::Project = nullptr;
    FProject.reset();
}

std::string TWindowEnv::Write(const std::string& Relative, const std::string& Content) {
    const QString path = FDir.filePath(QString::fromStdString(Relative));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    f.write(Content.data(), static_cast<qint64>(Content.size()));
    return path.toStdString();
}

std::string TWindowEnv::ReadAll(const std::string& Path) {
    QFile f(QString::fromStdString(Path));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll().toStdString();
}

TzrLinkOpener TWindowEnv::Opener() {
    return [this](const std::string& Page, const std::string& Action, const std::string& Extra) {
        Links.push_back(Page + "|" + Action + "|" + Extra);
    };
}

std::string MinimalDocx(const std::string& a, const std::string& b, const std::string& c,
                        const std::string& d) {
    auto cell = [](const std::string& text) {
        return "<w:tc><w:p><w:r><w:t>" + text + "</w:t></w:r></w:p></w:tc>";
    };
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid>"
        "<w:tr>" +
        cell(a) + cell(b) + "</w:tr><w:tr>" + cell(c) + cell(d) +
        "</w:tr></w:tbl>"
        "<w:p/></w:body></w:document>";
    const std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "</Types>";
    const std::string rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    return StoredZip(
        {{"[Content_Types].xml", types}, {"_rels/.rels", rels}, {"word/document.xml", document}});
}

}  // namespace vantile::ui::test
