#pragma once
// The options dialog "Опции": the serial port through which the instrument
// is connected, and the refresh period, shown but not editable.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "config/Config.h"
#include "config/OptionDialogLogic.h"

class QComboBox;
class QPushButton;
class QSpinBox;

namespace vornik {

class TFormOption : public QDialog {
    Q_OBJECT
public:
    explicit TFormOption(QWidget* parent = nullptr);

    // Where the serial devices offered after "COM1".."COM16" come from; the
    // list is asked for at every filling. By default /dev is scanned.
    void SetDeviceLister(std::function<std::vector<std::string>()> lister) { deviceLister_ = std::move(lister); }

    // Refreshes the port list and shows the record's port name and refresh
    // period (limited to 1..60).
    void Fill(const TConfig& config);
    // The port box's text as Windows-1251 bytes.
    std::string PortName() const;
    int RefreshPeriod() const;
    int ShowModal() { return exec(); }

    QComboBox* ComboBoxPort() const { return port_; }
    QSpinBox* SpinEditPediodWiev() const { return period_; }
    QPushButton* BitBtn1() const { return apply_; }
    QPushButton* BitBtn2() const { return cancel_; }

private:
    std::function<std::vector<std::string>()> deviceLister_;
    QComboBox* port_ = nullptr;
    QSpinBox* period_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// N6Click: fills the dialog from the record, shows it and, on "Применить",
// stores the port name and period, stops the polling timer, reopens the port,
// saves the record and makes sure the timer runs. Returns whether the dialog
// was confirmed.
bool N6Click(TFormOption& dialog, TConfig& config, const OptionCommand& command);

}  // namespace vornik
