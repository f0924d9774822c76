#pragma once
// Name matching through regular expressions: the matcher the program installs in
// BatchMatcher, and the translation of a file mask into an expression.

#include <string>

#include "batch/zrBatch.h"

namespace vantile {

// Tests names against a regular expression, letter case ignored. Any error (a
// malformed pattern, a match that runs away) counts as a match, so the file is kept.
class TzrMatch : public TzrMatchBase {
  public:
    bool IsMatch(const std::string& Name, const std::string& Pattern) override;
};

// Escapes the mask's regular-expression characters, turns "*" into ".*" and "?"
// into ".?", and anchors the end: "*.doc?" gives ".*\.doc.?$".
std::string WildcardToRegex(const std::string& Mask);

// Installs a TzrMatch as BatchMatcher (start-up) and frees it again (shutdown).
void CreateBatchMatcher();
void FreeBatchMatcher();

// Installs a matcher for the lifetime of the object and restores the previous one.
class ScopedBatchMatcher {
  public:
    explicit ScopedBatchMatcher(TzrMatchBase* Matcher) : FPrevious(BatchMatcher) { BatchMatcher = Matcher; }
    ~ScopedBatchMatcher() { BatchMatcher = FPrevious; }
    ScopedBatchMatcher(const ScopedBatchMatcher&) = delete;
    ScopedBatchMatcher& operator=(const ScopedBatchMatcher&) = delete;

  private:
    TzrMatchBase* FPrevious;
};

}  // namespace vantile
