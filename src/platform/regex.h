#pragma once
// Regular expressions in the common script-language syntax (dot, star, question
// mark, plus, caret, dollar, bar, groups, classes, braces, backslash escapes), with
// search semantics: a pattern matches anywhere in the text unless it anchors itself.

#include <stdexcept>
#include <string>

namespace vantile::platform {

// A pattern that cannot be compiled, or a match that exceeded the engine's limits.
class ERegexException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum RegexOption : unsigned {
    reIgnoreCase = 1,  // letter case ignored
    reMultiline = 2,   // "^" and "$" also match at line breaks
};

// True when the pattern matches some part of the text. Raises ERegexException.
bool RegexTest(const std::string& pattern, unsigned options, const std::string& text);

// The text with the first match of the pattern replaced. In the replacement "$&" is
// the match, "$1" to "$99" the groups, "$`" and "$'" the text before and after the
// match, "$$" a dollar sign. Raises ERegexException.
std::string RegexReplace(const std::string& pattern, unsigned options, const std::string& text,
                         const std::string& replacement);

}  // namespace vantile::platform
