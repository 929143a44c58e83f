// The main window's dialogs: About box, options and view parameters.
#include "shell/About.h"
#include "shell/MainWindow.h"
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
    vornik::N6Click(*option_, config_, steps);
}

ViewCommand TForm1::ViewSteps() {
    ViewCommand steps;
    steps.SaveConfig = [this] { configStore_->SaveConfig(config_); };
    steps.ChartsInit = [this] { ChartsInit(); };
    return steps;
}

void TForm1::N7Click() { vornik::N7Click(*gasView_, config_, *prompt_, ViewSteps()); }
void TForm1::N18Click() { vornik::N18Click(*tempView_, config_, *prompt_, ViewSteps()); }
void TForm1::N19Click() { vornik::N19Click(*pressView_, config_, *prompt_, ViewSteps()); }

void TForm1::ChartsInit() { model_.ChartsInit(config_); }

}  // namespace vornik
