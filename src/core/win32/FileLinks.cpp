#include "core/FileLinks.h"

namespace vornik {

// Windows resolves its links (reparse points) inside the file system.
int ResolveLinksForWriting(const std::string& path, std::string& target) {
    target = path;
    return 0;
}

}  // namespace vornik
