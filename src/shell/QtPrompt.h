#pragma once
// The prompt interface answered by Qt's standard message boxes.
#include <QWidget>

#include "core/Prompt.h"

namespace vornik {

// The width a device message box needs to show its caption whole.
int DeviceMessageWidth(const QString& caption);

class QtPrompt : public Prompt {
public:
    explicit QtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Beep() override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    Choice AskYesNoCancel(const std::string& text) override;
    void ShowDeviceMessage(const std::string& caption, const std::string& deviceName) override;
    void ShowGeneralError(const std::string& text) override;

private:
    Choice Ask(const std::string& text, bool withCancel);

    QWidget* parent_;
};

}  // namespace vornik
