#pragma once
// A late-bound automation value: what travels between the converters and the
// automation servers (numbers, texts, Booleans, objects, and the marker for a
// skipped optional argument).

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vantile::automation {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// Marker passed in place of an optional argument that the caller skips.
struct MissingArg {
    bool operator==(const MissingArg&) const = default;
};
// The Null value of an automation variant (no object).
struct NullValue {
    bool operator==(const NullValue&) const = default;
};

class Variant {
  public:
    enum class Kind { Empty, Null, Missing, Bool, Int, Double, String, Object };

    Variant() = default;
    Variant(NullValue) : m_value(NullValue{}) {}
    Variant(MissingArg) : m_value(MissingArg{}) {}
    Variant(bool b) : m_value(b) {}
    Variant(int i) : m_value(std::int64_t{i}) {}
    Variant(std::int64_t i) : m_value(i) {}
    Variant(double d) : m_value(d) {}
    Variant(std::string s) : m_value(std::move(s)) {}
    Variant(std::string_view s) : m_value(std::string(s)) {}
    Variant(const char* s) : m_value(std::string(s)) {}
    Variant(ObjectPtr o);

    static Variant missing() { return Variant(MissingArg{}); }
    static Variant null() { return Variant(NullValue{}); }

    Kind kind() const;
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isMissing() const { return kind() == Kind::Missing; }
    bool isObject() const { return kind() == Kind::Object; }
    // Null, Empty and a missing object all count as "no object".
    bool isNothing() const { return !isObject(); }

    // Conversions as automation does them; each raises an AutomationError
    // with a "Type mismatch" text when the value cannot be converted.
    bool toBool() const;
    std::int64_t toInt() const;  // truncates doubles toward zero
    double toDouble() const;
    std::string toString() const;  // numbers as decimal text, Booleans as "True"/"False"
    ObjectPtr toObject() const;

    // Late-bound access on an object value (raises when the value is no object).
    Variant get(std::string_view member, std::initializer_list<Variant> args = {}) const;
    void put(std::string_view member, const Variant& value, std::initializer_list<Variant> args = {}) const;
    Variant call(std::string_view member, std::initializer_list<Variant> args = {}) const;

    bool operator==(const Variant& other) const;

  private:
    std::variant<std::monostate, NullValue, MissingArg, bool, std::int64_t, double, std::string, ObjectPtr>
        m_value;
};

using Args = std::span<const Variant>;

}  // namespace vantile::automation
