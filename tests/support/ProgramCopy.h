#pragma once
// The window program copied into a test folder with a settings file of its
// own that names the port, so that its settings and journal live there.
#include <filesystem>
#include <string>

#include "TestFiles.h"
#include "config/Config.h"

namespace vornik::test {

// The copy's path.
inline std::string CopyProgramListeningTo(const TempDir& dir, const std::string& portName) {
    const std::string copy = dir / "vornik-pc";
    std::filesystem::copy_file(std::string(VORNIK_BINARY_DIR) + "/vornik-pc", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    TConfig config;
    config.LoadDefaults();
    config.SetPortName(portName);
    WriteAll(dir / "vornik-pc.ini", std::string(config.Bytes().begin(), config.Bytes().end()));
    return copy;
}

}  // namespace vornik::test
