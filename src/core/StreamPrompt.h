#pragma once
// A Prompt for the program without a window: boxes become lines on a stream
// (standard error), questions are answered No, beeps are silent.
#include <cstdio>

#include "core/Prompt.h"

namespace vornik {

class StreamPrompt : public Prompt {
public:
    explicit StreamPrompt(std::FILE* stream = stderr) : stream_(stream) {}
    void Beep() override {}
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void ShowDeviceMessage(const std::string& caption, const std::string& deviceName) override;
    void ShowGeneralError(const std::string& text) override;

    // One line of text, with a time stamp.
    void Line(const std::string& text);

private:
    std::FILE* stream_;
};

}  // namespace vornik
