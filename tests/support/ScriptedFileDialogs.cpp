#include "ScriptedFileDialogs.h"

#include <gtest/gtest.h>

namespace vornik::test {

std::optional<std::string> ScriptedFileDialogs::Next() {
    if (whileOpen_) {
        auto action = std::move(whileOpen_);
        whileOpen_ = nullptr;
        action();
    }
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return std::nullopt;
    }
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedFileDialogs::AskSaveFileName(const std::string& filter,
                                                                 const std::string& presetName) {
    events_.push_back({DialogEvent::Save, filter, presetName, 0});
    return Next();
}

std::optional<std::string> ScriptedFileDialogs::AskOpenFileName(const std::string& filter, int filterIndex) {
    events_.push_back({DialogEvent::Open, filter, "", filterIndex});
    return Next();
}

}  // namespace vornik::test
