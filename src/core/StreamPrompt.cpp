#include "core/StreamPrompt.h"

#include "core/Clock.h"
#include "core/RecentErrors.h"

namespace vornik {
namespace {

// Message texts use "\r\n" inside a message; on a line it reads as a space.
std::string OneLine(std::string text) {
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, " ");
    return text;
}

}  // namespace

void StreamPrompt::Line(const std::string& text) {
    std::fprintf(stream_, "%s %s\n", FormatTimeOfDay(SystemClock().Now()).c_str(), OneLine(text).c_str());
    std::fflush(stream_);
}

void StreamPrompt::ShowError(const std::string& text) { Line(text); }

bool StreamPrompt::AskYesNo(const std::string& text) {
    Line(text + " -> No");
    return false;
}

void StreamPrompt::ShowDeviceMessage(const std::string& caption, const std::string& deviceName) {
    Line(caption + ": " + deviceName);
}

void StreamPrompt::ShowGeneralError(const std::string& text) { Line(GeneralErrorText(text)); }

}  // namespace vornik
