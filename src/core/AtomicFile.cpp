#include "core/AtomicFile.h"

namespace vornik {

std::string TemporaryFileName(const std::string& target, unsigned long process, unsigned counter) {
    constexpr size_t kKeptNameBytes = 200;  // leaves room for the suffix
    const size_t slash = target.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t end = target.size();
    if (end - nameStart > kKeptNameBytes) {
        end = nameStart + kKeptNameBytes;
        // Not inside a UTF-8 sequence.
        while (end > nameStart && (static_cast<unsigned char>(target[end]) & 0xC0) == 0x80) --end;
    }
    return target.substr(0, end) + ".~" + std::to_string(process) + "-" + std::to_string(counter);
}

bool WriteFileAtomically(const std::string& target, std::string_view bytes, std::string* error) {
    AtomicFileWriter writer(target);
    const bool ok = writer.Open() && writer.Write(bytes) && writer.Commit();
    if (!ok && error) *error = writer.Error();
    return ok;
}

}  // namespace vornik
