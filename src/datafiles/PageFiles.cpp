#include "datafiles/PageFiles.h"

namespace vornik {

std::optional<std::string> PageFiles::Chosen(std::optional<std::string> answer) {
    chosen_ = answer ? *answer : std::string();
    return answer;
}

std::optional<std::string> PageFiles::AskSaveFileName(const std::string& filter, const std::string& presetName) {
    chosen_.clear();
    return Chosen(dialogs_.AskSaveFileName(filter, presetName));
}

std::optional<std::string> PageFiles::AskOpenFileName(const std::string& filter, int filterIndex) {
    chosen_.clear();
    return Chosen(dialogs_.AskOpenFileName(filter, filterIndex));
}

void PageFiles::RowsSettled(int page) {
    files_.at(page) = chosen_;
    chosen_.clear();
}

}  // namespace vornik
