#include "core/AtomicFile.h"

namespace vornik {

bool WriteFileAtomically(const std::string& target, std::string_view bytes, std::string* error) {
    AtomicFileWriter writer(target);
    const bool ok = writer.Open() && writer.Write(bytes) && writer.Commit();
    if (!ok && error) *error = writer.Error();
    return ok;
}

}  // namespace vornik
