#pragma once
// Every message box, question and beep goes through this interface, so that
// the core never blocks on a real dialog: the shell answers with Qt's standard
// message boxes, tests answer from a script. Texts are UTF-8.
#include <string>

namespace vornik {

class Prompt {
public:
    virtual ~Prompt() = default;

    // The system's default beep (a message beep, not a dialog).
    virtual void Beep() = 0;

    // Error box: caption "Error", error icon, one button "OK".
    virtual void ShowError(const std::string& text) = 0;

    // Question: caption "Confirm", question icon, buttons "&Yes" and "&No".
    // Returns true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;

    // Question with a way back: buttons "&Yes", "&No" and "Cancel"; closing
    // the box answers Cancel. Where nobody can answer, Cancel: nothing is lost.
    enum class Choice { Yes, No, Cancel };
    virtual Choice AskYesNoCancel(const std::string& text) {
        (void)text;
        return Choice::Cancel;
    }

    // Device message: the message is the caption, the device name the text.
    virtual void ShowDeviceMessage(const std::string& caption, const std::string& deviceName) = 0;

    // The application's general error report for an error that escaped a
    // handler: application title as caption, the text with a full stop added.
    virtual void ShowGeneralError(const std::string& text) = 0;
};

// A prompt that shows nothing and answers No: for work that runs unattended
// (reopening a lost device, benchmarks).
class SilentPrompt : public Prompt {
public:
    void Beep() override {}
    void ShowError(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void ShowDeviceMessage(const std::string&, const std::string&) override {}
    void ShowGeneralError(const std::string&) override {}
};

// The text the general error report shows for an error message.
std::string GeneralErrorText(const std::string& message);

}  // namespace vornik
