#pragma once
// Which data file each page's rows came from or went to, for the status bar.
// It stands between the file commands and the real file dialogs: the name
// the user last chose is taken by the page whose rows settle next (a save
// writes them, an open replaces them); rows that settle without a choice (a
// clear) leave the page without a file.
#include <array>
#include <string>

#include "core/FileDialogs.h"
#include "quantities/Pages.h"

namespace vornik {

class PageFiles : public FileDialogs {
public:
    explicit PageFiles(FileDialogs& dialogs) : dialogs_(dialogs) {}

    std::optional<std::string> AskSaveFileName(const std::string& filter, const std::string& presetName) override;
    std::optional<std::string> AskOpenFileName(const std::string& filter, int filterIndex) override;

    // The page's rows are safe in a file or gone (MainModel's rows-settled event).
    void RowsSettled(int page);
    // The end of a file command: a name chosen but never written (a failed
    // save) is no page's file.
    void ForgetChoice() { chosen_.clear(); }
    // A file opened without a dialog (the command line).
    void SetFile(int page, const std::string& fileName) { files_.at(page) = fileName; }
    // Empty while the page's rows came from no file.
    const std::string& File(int page) const { return files_.at(page); }

private:
    std::optional<std::string> Chosen(std::optional<std::string> answer);

    FileDialogs& dialogs_;
    std::string chosen_;
    std::array<std::string, kPageCount> files_;
};

}  // namespace vornik
