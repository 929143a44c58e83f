#include "core/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace vornik {

namespace {

size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

// Index of the extension's dot in the last component, or npos. A leading dot
// ("/home/u/.profile") starts a name, not an extension.
size_t ExtensionDot(const std::string& path) {
    const size_t sep = LastSeparator(path);
    const size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) return std::string::npos;
    return dot;
}

// UTF-8, like every path here (on Windows the narrow environment is in the
// ANSI code page, which cannot hold every user name).
std::string Env(const char* name) {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(std::filesystem::u8path(name).wstring().c_str());
    return value ? std::filesystem::path(value).u8string() : std::string();
#else
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
#endif
}

// Creates an empty file, failing if one exists, so an existing file is never
// touched (fopen's "x" mode, which Windows' msvcrt does not know).
bool CreateNewFile(const std::string& path) {
#ifdef _WIN32
    const int fd = _wopen(std::filesystem::u8path(path).wstring().c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0) return false;
    _close(fd);
    return true;
#else
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f) return false;
    std::fclose(f);
    return true;
#endif
}

}  // namespace

std::string WithoutExtension(const std::string& path) {
    const size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    return WithoutExtension(path) + extension;
}

std::string FolderOf(const std::string& path) {
    const size_t sep = LastSeparator(path);
    if (sep == std::string::npos) return ".";
    if (sep == 0) return path.substr(0, 1);
    return path.substr(0, sep);
}

std::string FileNameOf(const std::string& path) {
    const size_t sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    if (folder.empty()) return name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + separator + name;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    const std::wstring widePath = std::filesystem::u8path(path).wstring();
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(widePath.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool FolderWritable(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::u8path(folder), ec)) return false;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string probe = JoinPath(folder, ".vornik-probe-" + std::to_string(std::rand()));
        if (CreateNewFile(probe)) {
            std::filesystem::remove(std::filesystem::u8path(probe), ec);
            return true;
        }
        if (!std::filesystem::exists(std::filesystem::u8path(probe), ec)) return false;
    }
    return false;
}

const char* const kInstalledMarkerName = "vornik-pc.installed";

bool ProgramFolderKeepsUserFiles(const std::string& programPath) {
    const std::string folder = FolderOf(programPath);
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::u8path(JoinPath(folder, kInstalledMarkerName)), ec)) return false;
    return FolderWritable(folder);
}

std::string UserConfigFolder() {
#ifdef _WIN32
    return Env("APPDATA");
#else
    const std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg.front() == '/') return xdg;
    const std::string home = Env("HOME");
    return home.empty() ? std::string() : JoinPath(home, ".config");
#endif
}

std::string HomeFolder() {
#ifdef _WIN32
    return Env("USERPROFILE");
#else
    return Env("HOME");
#endif
}

bool MakeFolders(const std::string& folder) {
    std::error_code ec;
    const auto path = std::filesystem::u8path(folder);
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

}  // namespace vornik
