#include "config/ConfigFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Paths.h"
#include "core/RegularFile.h"

namespace vornik {

const char* const kConfigMissingText = "Файл конфигурации отсутствует!\r\nСброс конфигурации!";
const char* const kConfigFieldsResetText = "Недопустимые значения в файле конфигурации сброшены:";
const char* const kDiskAccessErrorText = "Ошибка доступа к диску!\r\nПерезагрузите компьютер!";

std::string ConfigFileBesideProgram(const std::string& programPath) { return ReplaceExtension(programPath, ".ini"); }

std::string ConfigFileName(const std::string& programPath, const std::string& userConfigFolder) {
    const std::string besideProgram = ConfigFileBesideProgram(programPath);
    if (ProgramFolderKeepsUserFiles(programPath) || userConfigFolder.empty()) return besideProgram;
    const std::string folder = JoinPath(userConfigFolder, "vornik-pc");
    MakeFolders(folder);
    return JoinPath(folder, FileNameOf(besideProgram));
}

std::string ConfigFileName(const std::string& programPath) {
    return ConfigFileName(programPath, UserConfigFolder());
}

ConfigStore::ConfigStore(std::string fileName, Prompt& prompt, std::string shippedFileName)
    : fileName_(std::move(fileName)), shippedFileName_(std::move(shippedFileName)), prompt_(prompt) {}

bool ConfigStore::ReadRecord(TConfig& record) const {
    // A FIFO or a device of this name is no settings file.
    std::FILE* f = OpenRegularFile(fileName_);
    std::error_code ec;
    if (!f && !shippedFileName_.empty() && !std::filesystem::exists(std::filesystem::u8path(fileName_), ec))
        f = OpenRegularFile(shippedFileName_);
    if (!f) return false;
    const size_t got = std::fread(record.Bytes().data(), 1, TConfig::kSize, f);
    const bool closed = std::fclose(f) == 0;
    return got == TConfig::kSize && closed;
}

bool ConfigStore::Read(TConfig& config) const {
    TConfig read;
    // The record changes only when a whole, possible record was read.
    if (!ReadRecord(read) || !read.Plausible()) return false;
    config = read;
    return true;
}

void ConfigStore::ReadAtStartup(TConfig& config) {
    TConfig read;
    if (ReadRecord(read) && !read.Unusable()) {
        // One impossible field costs only itself: the port, the colours and
        // the font the user chose stay.
        const std::vector<std::string> impossible = read.ImpossibleFields();
        config = read;
        if (impossible.empty()) return;
        config.ResetImpossibleFields();
        prompt_.Beep();
        prompt_.ShowError(FieldsResetText(impossible));
        SaveConfig(config);
        return;
    }
    prompt_.Beep();
    prompt_.ShowError(kConfigMissingText);
    config.LoadDefaults();
    SaveConfig(config);
}

std::string FieldsResetText(const std::vector<std::string>& fields) {
    std::string text = kConfigFieldsResetText;
    for (size_t i = 0; i < fields.size(); ++i) text += (i == 0 ? "\r\n" : ", ") + fields[i];
    return text + ".";
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
