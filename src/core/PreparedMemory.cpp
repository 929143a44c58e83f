#include "core/PreparedMemory.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include "core/LargeMemory.h"

namespace vornik {

namespace {

constexpr std::uintmax_t kPreparedFileBytes = std::uintmax_t(16) << 20;

class PreparedBlock {
public:
    ~PreparedBlock() { Drop(); }

    void Prepare(size_t bytes) {
        Drop();
        std::lock_guard<std::mutex> lock(mutex_);
        asked_ = bytes;
        thread_ = std::thread([this, bytes] {
            PreparedBytes block;
            try {
                block.reserve(bytes);
            } catch (const std::bad_alloc&) {
                return;  // the load will find out for itself
            }
            AdviseLargePages(block.data(), block.capacity());
            Prefault(block.data(), block.capacity());
            block_ = std::move(block);  // read only once the thread is joined
        });
    }

    PreparedBytes Take(size_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable() || asked_ != bytes) return PreparedBytes();
        thread_.join();
        return std::exchange(block_, PreparedBytes());
    }

    void Drop() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (thread_.joinable()) thread_.join();
        PreparedBytes().swap(block_);
    }

private:
    std::mutex mutex_;
    std::thread thread_;
    size_t asked_ = 0;
    PreparedBytes block_;
};

PreparedBlock& Block() {
    static PreparedBlock block;
    return block;
}

}  // namespace

void PrepareMemory(size_t bytes) { Block().Prepare(bytes); }

void PrepareMemoryForFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size >= kPreparedFileBytes && size <= SIZE_MAX / 2) PrepareMemory(static_cast<size_t>(size));
}

PreparedBytes TakePreparedMemory(size_t bytes) { return Block().Take(bytes); }

void DropPreparedMemory() { Block().Drop(); }

}  // namespace vornik
