#pragma once
// The ProgID registry: which automation server answers to which ProgID, and the
// creation of a new server instance by ProgID.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "automation/core/object.h"

namespace vantile::automation {

using ServerFactory = std::function<ObjectPtr()>;

// Registers (or replaces) the server for a ProgID; thread-safe.
void RegisterServer(std::string progId, ServerFactory factory);
void UnregisterServer(std::string_view progId);

// Creates a new instance of the server registered under progId. Raises an
// AutomationError "Class not registered, ProgID: \"<progId>\"" when there is
// none, and "<server's text>, ProgID: \"<progId>\"" when the server fails to start.
ObjectPtr CreateAutomationObject(std::string_view progId);

// Registers the servers built into the program ("Word.Application",
// "Excel.Application"). Called once at start-up.
void RegisterBuiltinServers();

// Puts a server in place for the lifetime of the object and restores what was
// registered before (for tests).
class ScopedServer {
  public:
    ScopedServer(std::string progId, ServerFactory factory);
    ~ScopedServer();
    ScopedServer(const ScopedServer&) = delete;
    ScopedServer& operator=(const ScopedServer&) = delete;

  private:
    std::string m_progId;
    std::optional<ServerFactory> m_previous;
};

}  // namespace vantile::automation
