#pragma once
// The platform's standard save and open dialogs, behind an interface so that
// commands can be driven by a script in tests. Texts and paths are UTF-8.
#include <optional>
#include <string>

namespace vornik {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Save dialog with one filter ("description|pattern") and a preset file
    // name (a full path, so the dialog opens in its folder). It adds no
    // extension to a typed name and does not ask before replacing a file.
    // Returns the chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> AskSaveFileName(const std::string& filter,
                                                       const std::string& presetName) = 0;

    // Open dialog over existing files, with filter entries "d1|p1|d2|p2|..."
    // and the entry `filterIndex` (from 1) preselected; no preset name, no
    // initial folder. Several files may be marked: the first one is returned.
    virtual std::optional<std::string> AskOpenFileName(const std::string& filter, int filterIndex) = 0;
};

}  // namespace vornik
