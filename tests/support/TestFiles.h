#pragma once
// Temporary folders and whole-file reads and writes for tests.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace vornik::test {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        namespace fs = std::filesystem;
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const fs::path folder = fs::temp_directory_path() / ("vornik-test-" + std::to_string(random()));
            if (fs::create_directory(folder)) path_ = folder.u8string();
        }
#else
        char pattern[] = "/tmp/vornik-test-XXXXXX";
        path_ = mkdtemp(pattern);
#endif
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                 std::filesystem::directory_iterator()));
    }

private:
    std::string path_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(std::filesystem::u8path(path), std::ios::binary) << bytes;
}

}  // namespace vornik::test
