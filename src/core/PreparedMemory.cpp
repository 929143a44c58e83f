#include "core/PreparedMemory.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
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
// Pages are touched in steps of this many bytes, so that a drop stops the
// thread soon.
constexpr size_t kTouchStep = size_t(8) << 20;

class PreparedBlock {
public:
    ~PreparedBlock() { Drop(); }

    void Prepare(size_t bytes) {
        Drop();
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            block_.reserve(bytes);
        } catch (const std::bad_alloc&) {
            return;  // the load will find out for itself
        }
        asked_ = bytes;
        AdviseLargePages(block_.data(), block_.capacity());
        stop_ = false;
        // Until the load tells how much of it the table fills: half the
        // block, which a table of the file's rows surely needs.
        wanted_ = bytes / 2;
        touching_ = true;
        thread_ = std::thread([this, data = block_.data(), size = block_.capacity()] { Touch(data, size); });
    }

    // The block goes to its table at once; the thread may still be touching
    // the pages ahead of those the table fills (a touch changes no byte).
    PreparedBytes Take(size_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (asked_ != bytes) return PreparedBytes();
        asked_ = 0;
        return std::exchange(block_, PreparedBytes());
    }

    void Want(size_t bytes) {
        {
            std::lock_guard<std::mutex> lock(wantedMutex_);
            wanted_ = bytes;
        }
        wantedChanged_.notify_all();
    }

    bool Touching() const { return touching_; }

    void Drop() {
        std::lock_guard<std::mutex> lock(mutex_);
        {
            std::lock_guard<std::mutex> wantedLock(wantedMutex_);
            stop_ = true;
        }
        wantedChanged_.notify_all();
        if (thread_.joinable()) thread_.join();
        asked_ = 0;
        PreparedBytes().swap(block_);
    }

private:
    // Touches the pages of the block up to the bytes wanted, in steps, and
    // waits for more to be wanted; ends at the block's end or when dropped.
    void Touch(const char* data, size_t size) {
        size_t done = 0;
        std::unique_lock<std::mutex> lock(wantedMutex_);
        while (done < size && !stop_) {
            if (done >= wanted_) {
                touching_ = false;
                wantedChanged_.wait(lock, [&] { return stop_ || wanted_ > done; });
                touching_ = true;
                continue;
            }
            const size_t step = std::min({kTouchStep, size - done, wanted_ - done});
            lock.unlock();
            Prefault(data + done, step);
            done += step;
            lock.lock();
        }
        touching_ = false;
    }

    std::mutex mutex_;
    std::thread thread_;
    size_t asked_ = 0;
    PreparedBytes block_;
    // What the thread reads while it runs.
    std::mutex wantedMutex_;
    std::condition_variable wantedChanged_;
    size_t wanted_ = 0;
    bool stop_ = false;
    std::atomic<bool> touching_{false};
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

bool PreparingMemory() { return Block().Touching(); }

void ExpectPreparedMemoryUse(size_t bytes) { Block().Want(bytes); }

void DropPreparedMemory() { Block().Drop(); }

}  // namespace vornik
