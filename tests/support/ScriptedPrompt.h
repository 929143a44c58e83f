#pragma once
// A Prompt for tests: records every box and beep in order and answers
// questions from a queue. A question with no answer queued fails the test.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/Prompt.h"

namespace vornik::test {

struct PromptEvent {
    enum Kind { Beep, Error, Question, QuestionWithCancel, Device, General } kind;
    std::string caption;
    std::string text;
    bool operator==(const PromptEvent& o) const {
        return kind == o.kind && caption == o.caption && text == o.text;
    }
};

class ScriptedPrompt : public Prompt {
public:
    void Beep() override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    Choice AskYesNoCancel(const std::string& text) override;
    void ShowDeviceMessage(const std::string& caption, const std::string& deviceName) override;
    void ShowGeneralError(const std::string& text) override;

    // Queues the answer of the next question (true = Yes).
    void Answer(bool yes) { answers_.push_back(yes ? Choice::Yes : Choice::No); }
    // Queues Cancel: only a question with a Cancel button takes it.
    void AnswerCancel() { answers_.push_back(Choice::Cancel); }
    // Runs while the next question is open (e.g. rows arriving meanwhile).
    void WhileAsking(std::function<void()> action) { whileAsking_ = std::move(action); }

    const std::vector<PromptEvent>& events() const { return events_; }
    // Events other than beeps: the boxes the user would have seen.
    std::vector<PromptEvent> boxes() const;
    size_t beeps() const;
    void Clear() { events_.clear(); }
    size_t pendingAnswers() const { return answers_.size(); }

private:
    Choice NextAnswer(const std::string& text, bool cancelAllowed);

    std::vector<PromptEvent> events_;
    std::deque<Choice> answers_;
    std::function<void()> whileAsking_;
};

}  // namespace vornik::test
