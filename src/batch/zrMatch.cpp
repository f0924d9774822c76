#include "batch/zrMatch.h"

#include "platform/regex.h"

namespace vantile {

bool TzrMatch::IsMatch(const std::string& Name, const std::string& Pattern) {
    try {
        return platform::RegexTest(Pattern, platform::reIgnoreCase, Name);
    } catch (...) {
        // A pattern that cannot be used must not lose a file: keep it.
        return true;
    }
}

std::string WildcardToRegex(const std::string& Mask) {
    std::string out;
    out.reserve(Mask.size() * 2 + 1);
    for (const char c : Mask) {
        switch (c) {
            case '.':
                out += "\\.";
                break;
            case '*':
                out += ".*";
                break;
            case '?':
                out += ".?";
                break;
            case '+':
            case '^':
            case '$':
            case '(':
            case ')':
            case '[':
            case ']':
            case '{':
            case '}':
                out += '\\';
                out += c;
                break;
            default:
                out += c;
        }
    }
    out += '$';
    return out;
}

namespace {
TzrMatch* installedMatcher = nullptr;
}

void CreateBatchMatcher() {
    if (!installedMatcher) {
        installedMatcher = new TzrMatch;
        BatchMatcher = installedMatcher;
    }
}

void FreeBatchMatcher() {
    if (BatchMatcher == installedMatcher)
        BatchMatcher = nullptr;
    delete installedMatcher;
    installedMatcher = nullptr;
}

}  // namespace vantile
