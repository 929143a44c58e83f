// The main window's dialogs: About box, options and view parameters.
#include "shell/About.h"
#include "shell/MainWindow.h"
#include "core/qt/Text.h"
#include "shell/SetGView.h"
#include "shell/SetOption.h"
#include "shell/SetPView.h"
#include "shell/SetTView.h"

namespace vornik {

void TForm1::CreateDialogs() {
    about_ = new TAboutBox(this);
    option_ = new TFormOption(this);
    gasView_ = new TFormSetGView(this);
    tempView_ = new TFormSetTView(this);
    pressView_ = new TFormSetPView(this);
}

void TForm1::N2Click() { about_->ShowModal(); }

void TForm1::N6Click() {
    OptionCommand steps;
    steps.StopTimer = [this] { pollTimer_.SetEnabled(false); };
    steps.OpenPort = [this] {
        port_.OpenPort(config_.PortName());
        ShowPortState();
    };
    steps.SaveConfig = [this] { configStore_->SaveConfig(config_); };
    steps.PortExists = [this] { return port_.Port() != nullptr; };
    steps.EnsureTimerRunning = [this] {
        if (!pollTimer_.Enabled()) pollTimer_.SetEnabled(true);
    };
    if (env_.portOverride.empty()) {
        vornik::N6Click(*option_, config_, steps);
        return;
    }
    // Listening to the demo's simulator: the dialog shows its port. Confirmed
    // unchanged, it goes on listening there and the configured name stays in
    // the settings; another name is stored and ends the demo's listening.
    const std::string configured = config_.PortName();
    const std::string demoPort = ToCp1251(FromUtf8(env_.portOverride));
    config_.SetPortName(demoPort);
    steps.OpenPort = [this, configured, demoPort] {
        if (config_.PortName() == demoPort) {
            config_.SetPortName(configured);
            port_.OpenPort(demoPort);
        } else {
            env_.portOverride.clear();
            port_.OpenPort(config_.PortName());
        }
        ShowPortState();
    };
    if (!vornik::N6Click(*option_, config_, steps)) config_.SetPortName(configured);
}

ViewCommand TForm1::ViewSteps() {
    ViewCommand steps;
    steps.SaveConfig = [this] { configStore_->SaveConfig(config_); };
    steps.ChartsInit = [this] { ChartsInit(); };
    return steps;
}

void TForm1::N7Click() {
    RunWithTimeAxisOption(*gasView_, [&] { vornik::N7Click(*gasView_, config_, *prompt_, ViewSteps()); });
}
void TForm1::N18Click() {
    RunWithTimeAxisOption(*tempView_, [&] { vornik::N18Click(*tempView_, config_, *prompt_, ViewSteps()); });
}
void TForm1::N19Click() {
    RunWithTimeAxisOption(*pressView_, [&] { vornik::N19Click(*pressView_, config_, *prompt_, ViewSteps()); });
}

void TForm1::ChartsInit() { model_.ChartsInit(config_); }

}  // namespace vornik
