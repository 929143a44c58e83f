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

namespace {

// Digits from `pos` of `text` up to `stop` (or the end when stop is 0); moves
// `pos` past them. False when there are none or something else follows.
bool ReadNumber(const std::string& text, size_t& pos, char stop, unsigned long& value) {
    const size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 10)
        value = value * 10 + static_cast<unsigned long>(text[pos++] - '0');
    if (pos == start) return false;
    if (stop == 0) return pos == text.size();
    return pos < text.size() && text[pos++] == stop;
}

}  // namespace

bool IsTemporaryFileOf(const std::string& target, const std::string& name, unsigned long& process) {
    std::string prefix = TemporaryFileName(target, 0, 0);
    prefix.resize(prefix.size() - 3);  // "0-0"
    const size_t slash = prefix.find_last_of("/\\");
    if (slash != std::string::npos) prefix.erase(0, slash + 1);
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    size_t pos = prefix.size();
    unsigned long counter = 0;
    return ReadNumber(name, pos, '-', process) && ReadNumber(name, pos, 0, counter);
}

bool WriteFileAtomically(const std::string& target, std::string_view bytes, std::string* error) {
    AtomicFileWriter writer(target);
    const bool ok = writer.Open() && writer.Write(bytes) && writer.Commit();
    if (!ok && error) *error = writer.Error();
    return ok;
}

}  // namespace vornik
