#pragma once
// A main window for widget tests: settings in a temporary folder, boxes and
// file dialogs answered by scripts, a scripted serial device, no splash.
#include <memory>
#include <string>

#include "FakeCommDriver.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/Config.h"
#include "core/Clock.h"
#include "shell/MainWindow.h"

namespace vornik::test {

struct TestForm {
    TempDir dir;
    ScriptedPrompt prompt;
    ScriptedFileDialogs dialogs;
    FixedClock clock{DateTime{2026, 12, 8, 10, 30, 0, 0}};
    std::shared_ptr<FakeDevice> device = std::make_shared<FakeDevice>();
    std::unique_ptr<TForm1> form;

    std::string ConfigFile() const { return dir / "vornik-pc.ini"; }

    // Writes a settings file of the default record, so no missing-file box.
    void WriteDefaultSettings() {
        TConfig config;
        config.LoadDefaults();
        WriteAll(ConfigFile(), std::string(config.Bytes().begin(), config.Bytes().end()));
    }

    FormEnvironment Environment(const std::string& fileArgument = "") {
        FormEnvironment env;
        env.programPath = dir / "vornik-pc";
        env.configFileName = ConfigFile();
        env.fileArgument = fileArgument;
        env.prompt = &prompt;
        env.fileDialogs = &dialogs;
        env.clock = &clock;
        auto device = this->device;
        env.makeDriver = [device](const std::string&) { return std::make_unique<FakeCommDriver>(device); };
        env.showSplash = false;
        return env;
    }

    TForm1& Create(const std::string& fileArgument = "") {
        form = std::make_unique<TForm1>(Environment(fileArgument));
        return *form;
    }
};

}  // namespace vornik::test
