#include "project/zrPropList.h"

#include <algorithm>
#include <cctype>

namespace vantile {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string TzrPropList::GetProp(const std::string& Prop) const {
    try {
        const auto info = FInstance->FindProp(Prop);
        if (!info)
            return {};
        switch (info->Kind) {
            case TzrPropKind::Enumeration: {
                const std::int64_t ord = FInstance->GetOrdProp(Prop);
                if (ord < 0 || static_cast<std::size_t>(ord) >= info->ValueNames.size())
                    return {};
                return info->ValueNames[static_cast<std::size_t>(ord)];
            }
            case TzrPropKind::Integer:
                return std::to_string(FInstance->GetOrdProp(Prop));
            case TzrPropKind::Text:
            case TzrPropKind::Other:
                return FInstance->GetStrProp(Prop);
        }
    } catch (...) {
        // A property that cannot be read has no value for the binding.
    }
    return {};
}

void TzrPropList::SetProp(const std::string& Prop, const std::string& Value) {
    try {
        const auto info = FInstance->FindProp(Prop);
        if (!info)
            return;
        if (info->Kind == TzrPropKind::Enumeration) {
            const std::string name = Value.empty() ? std::string("False") : Value;
            const auto& names = info->ValueNames;
            const auto it = std::find_if(names.begin(), names.end(),
                                         [&](const std::string& n) { return SameText(n, name); });
            if (it != names.end())
                FInstance->SetOrdProp(Prop, it - names.begin());
        } else if (info->Kind == TzrPropKind::Text) {
            FInstance->SetStrProp(Prop, Value);
        }
        // Integer and other properties are never written from option text.
    } catch (...) {
        // A control that refuses the value keeps its previous one.
    }
}

}  // namespace vantile
