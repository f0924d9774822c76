#include "automation/registry.h"

#include <map>
#include <mutex>

namespace vantile::automation {
namespace {

struct CaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
            const char x = fold(a[i]), y = fold(b[i]);
            if (x != y)
                return x < y;
        }
        return a.size() < b.size();
    }
};

// ProgIDs are looked up without regard to letter case, as the component system does.
struct Registry {
    std::mutex mutex;
    std::map<std::string, ServerFactory, CaseLess> servers;
};

Registry& registry() {
    static Registry r;
    return r;
}

std::optional<ServerFactory> find(std::string_view progId) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.servers.find(progId);
    if (it == r.servers.end())
        return std::nullopt;
    return it->second;
}

std::string progIdSuffix(std::string_view progId) {
    return ", ProgID: \"" + std::string(progId) + "\"";
}

}  // namespace

void RegisterServer(std::string progId, ServerFactory factory) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.servers.insert_or_assign(std::move(progId), std::move(factory));
}

void UnregisterServer(std::string_view progId) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.servers.find(progId);
    if (it != r.servers.end())
        r.servers.erase(it);
}

ObjectPtr CreateAutomationObject(std::string_view progId) {
    auto factory = find(progId);
    if (!factory)
        throw AutomationError("Class not registered" + progIdSuffix(progId));
    ObjectPtr object;
    try {
        object = (*factory)();
    } catch (const std::exception& e) {
        throw AutomationError(e.what() + progIdSuffix(progId));
    }
    if (!object)
        throw AutomationError("Server execution failed" + progIdSuffix(progId));
    return object;
}

ScopedServer::ScopedServer(std::string progId, ServerFactory factory)
    : m_progId(std::move(progId)), m_previous(find(m_progId)) {
    RegisterServer(m_progId, std::move(factory));
}

ScopedServer::~ScopedServer() {
    if (m_previous) {
        RegisterServer(m_progId, std::move(*m_previous));
    } else {
        UnregisterServer(m_progId);
    }
}

}  // namespace vantile::automation
