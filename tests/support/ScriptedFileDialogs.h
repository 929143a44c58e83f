#pragma once
// FileDialogs for tests: records every dialog shown and answers from a queue
// (a path, or nothing for Cancel). A dialog with no answer queued fails the
// test and is cancelled.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/FileDialogs.h"

namespace vornik::test {

struct DialogEvent {
    enum Kind { Save, Open } kind;
    std::string filter;
    std::string presetName;  // save dialog
    int filterIndex = 0;     // open dialog
};

class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<std::string> AskSaveFileName(const std::string& filter, const std::string& presetName) override;
    std::optional<std::string> AskOpenFileName(const std::string& filter, int filterIndex) override;

    void Answer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
    // Runs while the next dialog is open (e.g. a row arriving meanwhile).
    void WhileOpen(std::function<void()> action) { whileOpen_ = std::move(action); }

    const std::vector<DialogEvent>& events() const { return events_; }
    size_t pendingAnswers() const { return answers_.size(); }

private:
    std::optional<std::string> Next();

    std::vector<DialogEvent> events_;
    std::deque<std::optional<std::string>> answers_;
    std::function<void()> whileOpen_;
};

}  // namespace vornik::test
