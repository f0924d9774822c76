#include "project/zrProject.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/text_file.h"

namespace vantile {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// Index of the first line whose name (text before the first "=") equals Key.
std::ptrdiff_t IndexOfName(const std::vector<std::string>& lines, const std::string& key) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto eq = lines[i].find('=');
        if (eq != std::string::npos && eq == key.size() &&
            std::equal(key.begin(), key.end(), lines[i].begin(),
                       [](char x, char y) { return Lower(x) == Lower(y); }))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

bool TryReadInt(const std::string& s, int& result) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == s.size())
        return false;
    std::uint64_t value = 0;
    // Hexadecimal covers the full 32 bits (and wraps, as "$FFFFFFFF" is -1);
    // decimal must fit the signed range.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    for (; i < s.size(); ++i) {
        const int d = hex ? platform::HexDigitValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0)
            return false;
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (value > limit)
            return false;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    result = static_cast<int>(bits);
    return true;
}

// A plain decimal number with an optional fraction and exponent ("0.5", "1e3").
bool TryReadFloat(const std::string& s, double& result) {
    if (s.empty() || s.find_first_not_of(" \t+-.0123456789eE") != std::string::npos)
        return false;
    const char* begin = s.c_str();
    char* end = nullptr;
    result = std::strtod(begin, &end);
    return end != begin && *end == '\0';
}

}  // namespace

TzrProject* Project = nullptr;

TzrProject::TzrProject(std::string ExeName) : FExeName(std::move(ExeName)) {
    const std::string recent = RecentListFile();
    if (platform::FileExists(recent)) {
        try {
            FRecent = platform::ReadTextLines(recent);
        } catch (...) {
            FRecent.clear();
            FRecentWritable = false;
        }
    }
}

TzrProject::~TzrProject() {
    // The bindings go without touching the controls: at the end of the program the
    // window that owned them may already be gone.
    FControls.clear();
    if (!FRecentWritable)
        return;
    try {
        platform::WriteTextLines(RecentListFile(), FRecent);
    } catch (...) {
        // The list is lost for the next start; nothing else depends on it.
    }
}

// --- option list -----------------------------------------------------------------

std::string TzrProject::GetValue(const std::string& Key) const {
    std::shared_lock lock(FOptionsLock);
    const auto i = IndexOfName(FOptions, Key);
    if (i < 0)
        return {};
    const std::string& line = FOptions[static_cast<std::size_t>(i)];
    return line.substr(Key.size() + 1);
}

void TzrProject::SetValue(const std::string& Key, const std::string& Value) {
    std::unique_lock lock(FOptionsLock);
    const auto i = IndexOfName(FOptions, Key);
    if (Value.empty()) {
        if (i >= 0)
            FOptions.erase(FOptions.begin() + i);
    } else if (i >= 0) {
        FOptions[static_cast<std::size_t>(i)] = Key + "=" + Value;
    } else {
        FOptions.push_back(Key + "=" + Value);
    }
}

std::string TzrProject::OptionsText() const {
    std::shared_lock lock(FOptionsLock);
    return platform::JoinLines(FOptions);
}

void TzrProject::SetOptionsText(const std::string& Text) {
    SetOptionLines(platform::SplitLines(Text));
}

std::vector<std::string> TzrProject::OptionLines() const {
    std::shared_lock lock(FOptionsLock);
    return FOptions;
}

void TzrProject::SetOptionLines(std::vector<std::string> Lines) {
    std::unique_lock lock(FOptionsLock);
    FOptions = std::move(Lines);
}

bool TzrProject::ReadBool(const std::string& Value, bool Default) {
    int number = 0;
    if (TryReadInt(Value, number))
        return number != 0;
    double real = 0;
    if (TryReadFloat(Value, real))
        return real != 0;
    if (SameText(Value, "True"))
        return true;
    if (SameText(Value, "False"))
        return false;
    return Default;
}

int TzrProject::ReadInt(const std::string& Value, int Default) {
    int number = 0;
    return TryReadInt(Value, number) ? number : Default;
}

// --- accessors -----------------------------------------------------------------------

std::string TzrProject::Source() const {
    return GetValue("Source");
}

bool TzrProject::Subdir() const {
    return ReadBool(GetValue("Subdir"), false);
}

std::string TzrProject::Target() const {
    return GetValue("Target");
}

std::string TzrProject::TargetDir() const {
    std::string dir = Target();
    if (dir.empty())
        return dir;
    if (FPathDelim == platform::PathDelim && !platform::DirectoryExists(dir))
        platform::ForceDirectories(dir);  // a failure shows when the first file is written
    if (dir.back() != FPathDelim)
        dir += FPathDelim;
    return dir;
}

int TzrProject::ThreadsCount() const {
    return std::max(1, ReadInt(GetValue("ThreadsCount"), 1));
}

TzrOverwriteMode TzrProject::IsOverwrite() const {
    const std::string value = GetValue("IsOverwrite");
    if (SameText(value, "skip"))
        return omSkip;
    return ReadBool(value, FOverwriteDefault) ? omYes : omNo;
}

bool TzrProject::KeepTargetSubdirs() const {
    return ReadBool(GetValue("KeepTargetSubdirs"), true);
}

bool TzrProject::MacroEnabled() const {
    return ReadBool(GetValue("MacroEnabled"), false);
}

bool TzrProject::DeleteSource() const {
    return ReadBool(GetValue("DeleteSource"), false);
}

std::string TzrProject::RenameSource() const {
    return GetValue("RenameSource");
}

bool TzrProject::KeepFileTime() const {
    return ReadBool(GetValue("KeepFileTime"), false);
}

bool TzrProject::PureConsole() const {
    return ReadBool(GetValue("PureConsole"), false);
}

bool TzrProject::RunAndClose() const {
    return ReadBool(GetValue("RunAndClose"), false) || PureConsole() || Daemon() > 0;
}

int TzrProject::Daemon() const {
    return ReadInt(GetValue("Daemon"), 0);
}

// --- control binding ---------------------------------------------------------------

void TzrProject::RegisterControl(TzrBoundControl* Control) {
    FControls.push_back({Control, nullptr});
}

void TzrProject::UnregisterControl(TzrBoundControl* Control) {
    std::erase_if(FControls, [&](const TzrBinding& b) { return b.Control == Control; });
}

TzrPropList& TzrProject::Binding(std::size_t Index) {
    TzrBinding& b = FControls[Index];
    if (!b.Props || b.Control->Tag() <= 0) {
        if (!b.Props)
            b.Props = std::make_unique<TzrPropList>(b.Control);
        b.Control->SetTag(static_cast<std::int64_t>(Index) + 1);
    }
    return *b.Props;
}

void TzrProject::OptionsToControls() {
    for (std::size_t i = 0; i < FControls.size(); ++i) {
        TzrPropList& props = Binding(i);
        TzrBoundControl* control = FControls[i].Control;
        const std::string name = control->Name();
        const std::string hint = control->Hint();
        std::string value = name.empty() ? std::string() : GetValue(name.substr(1));
        if (value.empty()) {
            // Projects of an older form keyed the value by control and property.
            const std::string older = name + "." + hint;
            value = GetValue(older);
            SetValue(older, "");
        }
        props.SetProp(hint, value);
    }
}

void TzrProject::ControlsToOptions() {
    for (std::size_t i = 0; i < FControls.size(); ++i) {
        TzrPropList& props = Binding(i);
        TzrBoundControl* control = FControls[i].Control;
        const std::string name = control->Name();
        if (name.empty())
            continue;
        SetValue(name.substr(1), props.GetProp(control->Hint()));
    }
}

void TzrProject::ReleaseControls() {
    for (auto& b : FControls) {
        if (b.Props) {
            b.Control->SetTag(-1);
            b.Props.reset();
        }
    }
}

}  // namespace vantile
