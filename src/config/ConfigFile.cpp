#include "config/ConfigFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Paths.h"
#include "core/RegularFile.h"

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
    // A FIFO or a device of this name is no settings file.
    std::FILE* f = OpenRegularFile(fileName_);
    std::error_code ec;
    if (!f && !shippedFileName_.empty() && !std::filesystem::exists(std::filesystem::u8path(fileName_), ec))
        f = OpenRegularFile(shippedFileName_);
    if (!f) return false;
    TConfig read;
    const size_t got = std::fread(read.Bytes().data(), 1, TConfig::kSize, f);
    const bool closed = std::fclose(f) == 0;
    // The record changes only when a whole, possible record was read.
    if (got != TConfig::kSize || !closed || !read.Plausible()) return false;
    config = read;
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
