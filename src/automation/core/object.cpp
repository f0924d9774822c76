#include "automation/core/object.h"

namespace vantile::automation {

Variant Object::get(std::string_view member, Args) {
    unknownMember(member);
}

void Object::put(std::string_view member, const Variant&, Args) {
    unknownMember(member);
}

// Late binding does not tell methods from readable properties, so a call
// falls back to the property of that name.
Variant Object::call(std::string_view member, Args args) {
    return get(member, args);
}

void Object::unknownMember(std::string_view member) {
    throw AutomationError("Unknown name: " + std::string(member));
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

const Variant& argAt(Args args, std::size_t i) {
    static const Variant missing = Variant::missing();
    return i < args.size() ? args[i] : missing;
}

}  // namespace vantile::automation
