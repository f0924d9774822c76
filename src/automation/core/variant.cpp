#include "automation/core/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "automation/core/object.h"

namespace vantile::automation {
namespace {

const char* kindName(Variant::Kind k) {
    switch (k) {
        case Variant::Kind::Empty:
            return "Empty";
        case Variant::Kind::Null:
            return "Null";
        case Variant::Kind::Missing:
            return "Error";
        case Variant::Kind::Bool:
            return "Boolean";
        case Variant::Kind::Int:
            return "Int64";
        case Variant::Kind::Double:
            return "Double";
        case Variant::Kind::String:
            return "String";
        case Variant::Kind::Object:
            return "Dispatch";
    }
    return "Unknown";
}

[[noreturn]] void mismatch(Variant::Kind from, const char* to) {
    throw AutomationError(std::string("Could not convert variant of type (") + kindName(from) +
                          ") into type (" + to + ")");
}

// Parses a whole decimal number with optional blanks around it, as automation
// reads a text that is converted to a number.
bool parseNumber(std::string_view text, double& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(out);
}

std::string formatDouble(double d) {
    if (d == std::trunc(d) && std::fabs(d) < 1e15) {
        return std::to_string(static_cast<long long>(d));
    }
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, d);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

}  // namespace

Variant::Variant(ObjectPtr o) {
    if (o) {
        m_value = std::move(o);
    } else {
        m_value = NullValue{};
    }
}

Variant::Kind Variant::kind() const {
    return static_cast<Kind>(m_value.index());
}

bool Variant::toBool() const {
    switch (kind()) {
        case Kind::Bool:
            return std::get<bool>(m_value);
        case Kind::Int:
            return std::get<std::int64_t>(m_value) != 0;
        case Kind::Double:
            return std::get<double>(m_value) != 0.0;
        case Kind::Empty:
            return false;
        case Kind::String: {
            const auto& s = std::get<std::string>(m_value);
            if (sameName(s, "True"))
                return true;
            if (sameName(s, "False"))
                return false;
            double d = 0;
            if (parseNumber(s, d))
                return d != 0.0;
            break;
        }
        default:
            break;
    }
    mismatch(kind(), "Boolean");
}

std::int64_t Variant::toInt() const {
    switch (kind()) {
        case Kind::Bool:
            return std::get<bool>(m_value) ? -1 : 0;
        case Kind::Int:
            return std::get<std::int64_t>(m_value);
        case Kind::Empty:
            return 0;
        case Kind::Double:
        case Kind::String: {
            const double d = toDouble();
            if (d >= -9.2e18 && d <= 9.2e18)
                return static_cast<std::int64_t>(std::trunc(d));
            break;
        }
        default:
            break;
    }
    mismatch(kind(), "Int64");
}

double Variant::toDouble() const {
    switch (kind()) {
        case Kind::Bool:
            return std::get<bool>(m_value) ? -1.0 : 0.0;
        case Kind::Int:
            return static_cast<double>(std::get<std::int64_t>(m_value));
        case Kind::Double:
            return std::get<double>(m_value);
        case Kind::Empty:
            return 0.0;
        case Kind::String: {
            double d = 0;
            if (parseNumber(std::get<std::string>(m_value), d))
                return d;
            break;
        }
        default:
            break;
    }
    mismatch(kind(), "Double");
}

std::string Variant::toString() const {
    switch (kind()) {
        case Kind::Empty:
            return {};
        case Kind::Bool:
            return std::get<bool>(m_value) ? "True" : "False";
        case Kind::Int:
            return std::to_string(std::get<std::int64_t>(m_value));
        case Kind::Double:
            return formatDouble(std::get<double>(m_value));
        case Kind::String:
            return std::get<std::string>(m_value);
        default:
            break;
    }
    mismatch(kind(), "String");
}

ObjectPtr Variant::toObject() const {
    if (kind() == Kind::Object)
        return std::get<ObjectPtr>(m_value);
    throw AutomationError("Variant does not reference an automation object");
}

Variant Variant::get(std::string_view member, std::initializer_list<Variant> args) const {
    return toObject()->get(member, Args(args.begin(), args.size()));
}

void Variant::put(std::string_view member, const Variant& value, std::initializer_list<Variant> args) const {
    toObject()->put(member, value, Args(args.begin(), args.size()));
}

Variant Variant::call(std::string_view member, std::initializer_list<Variant> args) const {
    return toObject()->call(member, Args(args.begin(), args.size()));
}

bool Variant::operator==(const Variant& other) const {
    return m_value == other.m_value;
}

}  // namespace vantile::automation
