#include "core/FileLinks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace vornik {

namespace {

constexpr int kMaxLinks = 40;  // the kernel's limit

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The text of a link; empty on failure.
std::string LinkText(const std::string& link, size_t sizeHint) {
    std::vector<char> buffer(sizeHint + 1 > 256 ? sizeHint + 1 : 256);
    errno = 0;
    for (;;) {
        const ssize_t n = readlink(link.c_str(), buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (size_t(n) < buffer.size()) return std::string(buffer.data(), size_t(n));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

bool PlantedByAnotherUser(const std::string& path, unsigned owner) {
    if (owner == geteuid()) return false;
    struct stat folder;
    if (stat(FolderOf(path).c_str(), &folder) != 0) return true;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return shared && folder.st_uid != owner;
}

int ResolveLinksForWriting(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st;
        // Not there (to be created) or not a link: writing lands here.
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = current;
            return 0;
        }
        if (PlantedByAnotherUser(current, st.st_uid)) return EACCES;
        const std::string text = LinkText(current, size_t(st.st_size));
        if (text.empty()) return errno ? errno : ENOENT;
        current = text[0] == '/' ? text : FolderOf(current) + "/" + text;
    }
    return ELOOP;
}

}  // namespace vornik
