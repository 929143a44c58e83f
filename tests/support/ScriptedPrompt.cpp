#include "ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <utility>

namespace vornik::test {

void ScriptedPrompt::Beep() { events_.push_back({PromptEvent::Beep, "", ""}); }

void ScriptedPrompt::ShowError(const std::string& text) {
    events_.push_back({PromptEvent::Error, "Error", text});
}

bool ScriptedPrompt::AskYesNo(const std::string& text) {
    events_.push_back({PromptEvent::Question, "Confirm", text});
    return NextAnswer(text, false) == Choice::Yes;
}

Prompt::Choice ScriptedPrompt::AskYesNoCancel(const std::string& text) {
    events_.push_back({PromptEvent::QuestionWithCancel, "Confirm", text});
    return NextAnswer(text, true);
}

Prompt::Choice ScriptedPrompt::NextAnswer(const std::string& text, bool cancelAllowed) {
    if (whileAsking_) std::exchange(whileAsking_, nullptr)();
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return cancelAllowed ? Choice::Cancel : Choice::No;
    }
    const Choice answer = answers_.front();
    answers_.pop_front();
    if (answer == Choice::Cancel && !cancelAllowed) {
        ADD_FAILURE() << "Cancel queued for a question without it: " << text;
        return Choice::No;
    }
    return answer;
}

void ScriptedPrompt::ShowDeviceMessage(const std::string& caption, const std::string& deviceName) {
    events_.push_back({PromptEvent::Device, caption, deviceName});
}

void ScriptedPrompt::ShowGeneralError(const std::string& text) {
    events_.push_back({PromptEvent::General, "", GeneralErrorText(text)});
}

std::vector<PromptEvent> ScriptedPrompt::boxes() const {
    std::vector<PromptEvent> result;
    for (const auto& e : events_)
        if (e.kind != PromptEvent::Beep) result.push_back(e);
    return result;
}

size_t ScriptedPrompt::beeps() const {
    size_t n = 0;
    for (const auto& e : events_) n += e.kind == PromptEvent::Beep;
    return n;
}

}  // namespace vornik::test
