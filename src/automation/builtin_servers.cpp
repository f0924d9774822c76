#include "automation/registry.h"

namespace vantile::automation {

// The document and workbook engines register here as they become available;
// "WPS.Application" is never registered on this platform.
void RegisterBuiltinServers() {}

}  // namespace vantile::automation
