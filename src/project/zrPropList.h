#pragma once
// Binding of window controls to options. The core sees a control only through
// TzrBoundControl, which the window implements over its toolkit's property
// system; TzrPropList reads and writes one property of such a control by name.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantile {

enum class TzrPropKind {
    Enumeration,  // Boolean included: value names "False", "True"
    Integer,
    Text,
    Other,
};

struct TzrPropInfo {
    TzrPropKind Kind = TzrPropKind::Other;
    // Enumeration only: the value names, indexed by ordinal.
    std::vector<std::string> ValueNames;
};

// A control whose property mirrors an option. Names of properties are matched
// without regard to letter case. Every read or write may throw; the binding
// ignores such failures. Main thread only.
class TzrBoundControl {
  public:
    virtual ~TzrBoundControl() = default;

    // Component name; the option key is this name without its first character.
    virtual std::string Name() const = 0;
    // Name of the property that carries the value ("Text", "Checked").
    virtual std::string Hint() const = 0;
    // Binding cache marker: 0 or below means "not bound yet".
    virtual std::int64_t Tag() const = 0;
    virtual void SetTag(std::int64_t Value) = 0;

    // The property's kind, or nothing when the control has no such property.
    virtual std::optional<TzrPropInfo> FindProp(const std::string& Prop) const = 0;
    // Enumeration: the ordinal of the current value; Integer: the value.
    virtual std::int64_t GetOrdProp(const std::string& Prop) const = 0;
    virtual void SetOrdProp(const std::string& Prop, std::int64_t Value) = 0;
    // Text, and Other rendered as text.
    virtual std::string GetStrProp(const std::string& Prop) const = 0;
    virtual void SetStrProp(const std::string& Prop, const std::string& Value) = 0;
};

class TzrPropList {
  public:
    explicit TzrPropList(TzrBoundControl* Instance) : FInstance(Instance) {}

    // The property's value as text: an enumeration's value name, an integer in
    // decimal, anything else as text; empty when absent or unreadable.
    std::string GetProp(const std::string& Prop) const;
    // Enumerations take one of their value names (letter case ignored; empty
    // counts as "False"); text properties take the text; everything else, and
    // every failure, leaves the control unchanged.
    void SetProp(const std::string& Prop, const std::string& Value);

    TzrBoundControl* Instance() const { return FInstance; }

  private:
    TzrBoundControl* FInstance;  // not owned
};

}  // namespace vantile
