#pragma once
// The About box: logo, product name, version, the maker's web page and mail
// links, "EXIT". It doubles as the start-up splash and closes itself: 5 s
// after its first showing, 15 s after every later one, also when the splash
// was closed with "EXIT" before its own tick came.
#include <QDialog>
#include <memory>

#include "core/IntervalTimer.h"
#include "core/ShellOpen.h"

class QLabel;
class QPushButton;

namespace vornik {

// The maker's addresses behind the two links.
extern const char* const kMakerWebAddress;
extern const char* const kMakerMailAddress;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // With a real timer and the desktop's shell.
    explicit TAboutBox(QWidget* parent = nullptr);
    // With the given timer and shell (tests pass a ManualTimer and a recorder).
    TAboutBox(QWidget* parent, std::unique_ptr<IntervalTimer> timer, std::unique_ptr<ShellOpen> shell);
    ~TAboutBox() override;

    IntervalTimer& Timer1() { return *timer_; }
    int ShowModal() { return exec(); }

    // Switches Timer1 on; a running timer is not restarted.
    void FormActivate();
    // Timer1 off, from now on 15000 ms, and the box closes.
    void Timer1Timer();
    // "EXIT": closes the box; Timer1 keeps running.
    void SpeedButton1Click();
    // The web page and the mail link, opened by the shell; the result is ignored.
    void Label1Click();
    void Label2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();

    std::unique_ptr<IntervalTimer> timer_;
    std::unique_ptr<ShellOpen> shell_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
};

// The 250 x 75 logo of the box.
QPixmap MakerLogo();

}  // namespace vornik
