#pragma once
// A late-bound automation object: it answers property reads, property writes and
// method calls by member name (letter case ignored), with positional arguments.

#include <stdexcept>
#include <string>
#include <string_view>

#include "automation/core/variant.h"

namespace vantile::automation {

// The error every automation call raises; its message is what the user sees
// in the task's result.
class AutomationError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Object : public std::enable_shared_from_this<Object> {
  public:
    virtual ~Object() = default;

    // Property read; args hold the index of an indexed property (Item[k], Cells[i, j]).
    virtual Variant get(std::string_view member, Args args);
    // Property write; args hold the index of an indexed property.
    virtual void put(std::string_view member, const Variant& value, Args args);
    // Method call.
    virtual Variant call(std::string_view member, Args args);

  protected:
    // The error raised for a member that the object does not know.
    [[noreturn]] static void unknownMember(std::string_view member);
};

// Case-insensitive comparison of member names (ASCII).
bool sameName(std::string_view a, std::string_view b);

// Argument helpers for server implementations: argument `i` or Missing when absent.
const Variant& argAt(Args args, std::size_t i);

}  // namespace vantile::automation
