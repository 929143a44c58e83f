#pragma once
// The file dialogs answered by Qt's standard save and open dialogs.
#include <QWidget>

#include "core/FileDialogs.h"

namespace vornik {

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::string> AskSaveFileName(const std::string& filter, const std::string& presetName) override;
    std::optional<std::string> AskOpenFileName(const std::string& filter, int filterIndex) override;

private:
    QWidget* parent_;
};

// "d1|p1|d2|p2" to Qt's name filters ("d1 (p1)" ...); exposed for tests.
QStringList QtNameFilters(const std::string& filter);

}  // namespace vornik
