#include "catalogue/list_files.h"

namespace velmora {

int ListFiles(Services& services, const Text& directory, const Text& pattern,
              std::vector<Text>& result, bool prefixDirectory) {
    // Emptied first, so a folder without matches never leaves stale names behind.
    result.clear();

    Text folder = directory;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';

    std::unique_ptr<DirectorySearch> search = services.NewDirectorySearch();
    for (Text name = search->First(folder + pattern); !name.empty(); name = search->Next()) {
        result.push_back(prefixDirectory ? folder + name : name);
        if (!services.PumpPendingMessages()) break;
    }
    search->Close();
    return static_cast<int>(result.size());
}

}  // namespace velmora
