// Reading a folder's matching file names while keeping the window responsive.
#pragma once

#include <vector>

#include "runtime/services.h"

namespace velmora {

// Replaces `result` with the names in `directory` that match `pattern` (system wildcards),
// in the directory search's order, each prefixed by the directory when `prefixDirectory`
// is set. Pending window messages are dispatched after each name, so a long folder never
// freezes the window; when the program is asked to quit meanwhile, the listing stops.
// Returns the number of entries in `result`.
int ListFiles(Services& services, const Text& directory, const Text& pattern,
              std::vector<Text>& result, bool prefixDirectory);

}  // namespace velmora
