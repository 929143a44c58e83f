#include "config/ConfigFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Paths.h"

namespace vornik {

const char* const kConfigMissingText = "Файл конфигурации отсутствует!\r\nСброс конфигурации!";
const char* const kDiskAccessErrorText = "Ошибка доступа к диску!\r\nПерезагрузите компьютер!";

std::string ConfigFileBesideProgram(const std::string& programPath) { return ReplaceExtension(programPath, ".ini"); }

std::string ConfigFileName(const std::string& programPath, const std::string& userConfigFolder) {
    const std::string besideProgram = ConfigFileBesideProgram(programPath);
    if (FolderWritable(FolderOf(programPath)) || userConfigFolder.empty()) return besideProgram;
    const std::string folder = JoinPath(userConfigFolder, "vornik-pc");
    MakeFolders(folder);
    return JoinPath(folder, FileNameOf(besideProgram));
}

std::string ConfigFileName(const std::string& programPath) {
    return ConfigFileName(programPath, UserConfigFolder());
}

ConfigStore::ConfigStore(std::string fileName, Prompt& prompt, std::string shippedFileName)
    : fileName_(std::move(fileName)), shippedFileName_(std::move(shippedFileName)), prompt_(prompt) {}

bool ConfigStore::Read(TConfig& config) const {
    std::FILE* f = OpenFile(fileName_, "rb");
    std::error_code ec;
    if (!f && !shippedFileName_.empty() && !std::filesystem::exists(std::filesystem::u8path(fileName_), ec))
        f = OpenFile(shippedFileName_, "rb");
    if (!f) return false;
    std::array<uint8_t, TConfig::kSize> buffer;
    const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
    const bool closed = std::fclose(f) == 0;
    // The record changes only when a whole record was read.
    if (got != buffer.size() || !closed) return false;
    config.Bytes() = buffer;
    return true;
}

void ConfigStore::ReadAtStartup(TConfig& config) {
    if (Read(config)) return;
    prompt_.Beep();
    prompt_.ShowError(kConfigMissingText);
    config.LoadDefaults();
    SaveConfig(config);
}

bool ConfigStore::SaveConfig(const TConfig& config) {
    const auto& bytes = config.Bytes();
    if (WriteFileAtomically(fileName_, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return true;
    prompt_.Beep();
    prompt_.ShowError(kDiskAccessErrorText);
    return false;
}

}  // namespace vornik
