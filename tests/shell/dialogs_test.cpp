#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <cstring>
#include <fstream>
#include <functional>

#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "core/Cp1251.h"
#include "shell/About.h"
#include "shell/ColorBox.h"
#include "shell/SetGView.h"
#include "shell/SetOption.h"
#include "shell/SetPView.h"
#include "shell/SetTView.h"

using namespace vornik;
using test::PromptEvent;
using test::ScriptedPrompt;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

bool HasLabel(const QWidget& widget, const char* text) {
    for (const QLabel* label : widget.findChildren<QLabel*>())
        if (label->text() == U(text)) return true;
    return false;
}

TConfig Defaults() {
    TConfig config;
    config.LoadDefaults();
    return config;
}

double DoubleAt(const TConfig& config, size_t offset) {
    double value;
    std::memcpy(&value, config.Bytes().data() + offset, sizeof value);
    return value;
}

// Runs `whileOpen` inside the modal loop that `run` starts. A dialog that
// `whileOpen` left open is closed, so a failing test cannot hang.
template <class Run>
auto WhileModal(QDialog& dialog, std::function<void()> whileOpen, Run run) {
    QTimer::singleShot(0, &dialog, [&dialog, whileOpen] {
        EXPECT_TRUE(dialog.isVisible());
        whileOpen();
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog.reject();
        }
    });
    return run();
}

// A settings file in the test's temporary folder.
std::string SettingsFile(const char* name) { return ::testing::TempDir() + name; }

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void PressEscape(QWidget& widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

void Click(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

// The main window's operations, recorded in the order they run.
struct Calls {
    std::vector<std::string> names;
    std::function<void()> Note(const char* name) {
        return [this, name] { names.push_back(name); };
    }
    OptionCommand Options() {
        return {Note("StopTimer"), Note("OpenPort"), Note("SaveConfig"), [] { return true; },
                Note("EnsureTimerRunning")};
    }
    ViewCommand View() { return {Note("SaveConfig"), Note("ChartsInit")}; }
};

class RecordingShell : public ShellOpen {
public:
    explicit RecordingShell(std::vector<std::string>& opened) : opened_(opened) {}
    bool Open(const std::string& address) override {
        opened_.push_back(address);
        return false;  // no browser: nothing must be reported
    }

private:
    std::vector<std::string>& opened_;
};

}  // namespace

// ---- Options dialog --------------------------------------------------------

TEST(OptionDialog, ControlsAndPortListRefreshedAtEveryShowing) {
    TFormOption dialog;
    EXPECT_EQ(dialog.windowTitle(), U("Опции"));
    EXPECT_EQ(dialog.findChild<QLabel*>("Panel1")->text(), U("Параметры обмена"));
    EXPECT_EQ(dialog.BitBtn1()->text(), U("Применить"));
    EXPECT_EQ(dialog.BitBtn2()->text(), U("Отмена"));
    EXPECT_TRUE(HasLabel(dialog, "Порт обмена"));
    EXPECT_TRUE(HasLabel(dialog, "Период обновления, сек"));
    EXPECT_FALSE(dialog.SpinEditPediodWiev()->isEnabled());
    EXPECT_EQ(dialog.findChild<QComboBox*>("ComboBoxPort"), dialog.ComboBoxPort());

    std::vector<std::string> devices = {"/dev/ttyUSB0"};
    dialog.SetDeviceLister([&] { return devices; });
    TConfig config = Defaults();
    dialog.Fill(config);
    QComboBox* port = dialog.ComboBoxPort();
    ASSERT_EQ(port->count(), 18);
    EXPECT_EQ(port->itemText(0), "COM1");
    EXPECT_EQ(port->itemText(15), "COM16");
    EXPECT_EQ(port->itemText(16), "/dev/ttyUSB0");
    EXPECT_EQ(port->itemText(17), "DEMO");  // the simulated instrument, last
    EXPECT_EQ(port->currentText(), "COM1");

    // "/dev/ttyS0" and "/dev/ttyS15" are "COM1" and "COM16": listed once; ttyS16 has no COM name.
    devices = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS15", "/dev/ttyS16", "/dev/ttyUSB1"};
    config.SetPortName("/dev/ttyUSB9");  // not in the list
    dialog.Fill(config);
    ASSERT_EQ(port->count(), 20);
    EXPECT_EQ(port->itemText(17), "/dev/ttyS16");
    EXPECT_EQ(port->itemText(16), "/dev/ttyACM0");
    EXPECT_EQ(port->currentText(), "/dev/ttyUSB9");
}

TEST(OptionDialog, ChoosingCom3StoresItAndReopensThePort) {
    TFormOption dialog;
    dialog.SetDeviceLister([] { return std::vector<std::string>{}; });
    TConfig config = Defaults();
    ScriptedPrompt prompt;
    ConfigStore store(SettingsFile("options-com3.ini"), prompt);
    Calls calls;
    OptionCommand command = calls.Options();
    command.SaveConfig = [&] {
        calls.names.push_back("SaveConfig");
        store.SaveConfig(config);
    };
    const bool confirmed = WhileModal(
        dialog,
        [&] {
            dialog.ComboBoxPort()->setCurrentIndex(2);
            Click(dialog.BitBtn1());
        },
        [&] { return N6Click(dialog, config, command); });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(calls.names, (std::vector<std::string>{"StopTimer", "OpenPort", "SaveConfig", "EnsureTimerRunning"}));
    // The file as written: length byte, then the name, at offset 0.
    const std::string saved = FileBytes(store.FileName());
    ASSERT_EQ(saved.size(), TConfig::kSize);
    EXPECT_EQ(saved.substr(0, 5), "\x04" "COM3");
    EXPECT_TRUE(prompt.events().empty());

    // An unchanged name still closes and reopens the port.
    calls.names.clear();
    WhileModal(dialog, [&] { Click(dialog.BitBtn1()); }, [&] { return N6Click(dialog, config, command); });
    EXPECT_EQ(calls.names, (std::vector<std::string>{"StopTimer", "OpenPort", "SaveConfig", "EnsureTimerRunning"}));

    // The simulated instrument, chosen last in the list, is stored by its name alone.
    WhileModal(
        dialog,
        [&] {
            dialog.ComboBoxPort()->setCurrentIndex(dialog.ComboBoxPort()->count() - 1);
            Click(dialog.BitBtn1());
        },
        [&] { return N6Click(dialog, config, command); });
    EXPECT_EQ(FileBytes(store.FileName()).substr(0, 5), "\x04" "DEMO");
}

TEST(OptionDialog, TypedNameCutToThirtyAndPeriodLimited) {
    TFormOption dialog;
    dialog.SetDeviceLister([] { return std::vector<std::string>{}; });
    Calls calls;
    for (const auto& [stored, shown] : {std::pair{0, 1}, std::pair{75, 60}, std::pair{12, 12}}) {
        TConfig config = Defaults();
        config.SetRefreshPeriod(stored);
        const QString forty = U("Последовательный порт номер 0123456789AB");
        ASSERT_EQ(forty.size(), 40);
        WhileModal(
            dialog,
            [&] {
                EXPECT_EQ(dialog.SpinEditPediodWiev()->value(), shown);
                dialog.ComboBoxPort()->setEditText(forty);
                Click(dialog.BitBtn1());
            },
            [&] { return N6Click(dialog, config, calls.Options()); });
        EXPECT_EQ(config.RefreshPeriod(), shown);
        EXPECT_EQ(config.Bytes()[0], 30);
        EXPECT_EQ(QString::fromStdString(Cp1251ToUtf8(config.PortName())), forty.left(30));
    }
}

TEST(OptionDialog, CancelAndEscapeChangeNothing) {
    TFormOption dialog;
    dialog.SetDeviceLister([] { return std::vector<std::string>{}; });
    TConfig config = Defaults();
    config.SetRefreshPeriod(0);
    const auto before = config.Bytes();
    Calls calls;
    for (bool escape : {false, true}) {
        const bool confirmed = WhileModal(
            dialog,
            [&] {
                dialog.ComboBoxPort()->setEditText("COM7");
                if (escape) {
                    PressEscape(dialog);
                } else {
                    Click(dialog.BitBtn2());
                }
            },
            [&] { return N6Click(dialog, config, calls.Options()); });
        EXPECT_FALSE(confirmed);
    }
    EXPECT_EQ(config.Bytes(), before);
    EXPECT_TRUE(calls.names.empty());
    // The next showing shows the record again, not the cancelled text.
    dialog.Fill(config);
    EXPECT_EQ(dialog.ComboBoxPort()->currentText(), "COM1");
}

// ---- View parameter dialogs ----------------------------------------------

TEST(ViewDialog, GasDialogShowsTheDefaults) {
    TFormSetGView dialog;
    EXPECT_EQ(dialog.windowTitle(), U("Параметры просмотра"));
    EXPECT_EQ(dialog.LogBox()->text(), U("Логарифмическая шкала результатов измерения"));
    EXPECT_EQ(dialog.View3DBox()->text(), U("Вывод в объемные графики"));
    EXPECT_EQ(dialog.ApplyButton()->text(), U("Применить"));
    EXPECT_EQ(dialog.CancelButton()->text(), U("Отмена"));
    for (const char* text : {"показать", "множитель", "цвет", "Цвет панели диаграммы сверху",
                             "Цвет панели диаграммы снизу"})
        EXPECT_TRUE(HasLabel(dialog, text)) << text;
    TConfig config = Defaults();
    dialog.Fill(ReadViewValues(config.GasView()));

    const std::map<std::string, std::pair<bool, const char*>> expected = {
        {"Tg", {true, "1"}},   {"O2", {true, "10"}},   {"CO", {true, "1"}},   {"NO", {false, "1"}},
        {"NO2", {false, "10"}}, {"SO2", {false, "1"}}, {"H2S", {false, "1"}}, {"CO2", {false, "1"}},
        {"CH", {false, "1"}},  {"Qa", {false, "1"}},   {"Alf", {true, "100"}}, {"Ta", {false, "1"}},
        {"NOx", {true, "1"}}};
    for (const auto& [quantity, state] : expected) {
        const QString q = QString::fromStdString(quantity);
        auto* show = dialog.findChild<QCheckBox*>("CheckBox" + q);
        auto* multiplier = dialog.findChild<QComboBox*>("ComboBox" + q);
        ASSERT_TRUE(show && multiplier) << quantity;
        EXPECT_EQ(show->text(), q);
        EXPECT_EQ(show->isChecked(), state.first) << quantity;
        EXPECT_EQ(multiplier->currentText(), state.second) << quantity;
        EXPECT_EQ(multiplier->count(), 5);
        EXPECT_EQ(multiplier->itemText(0), "0,1");
    }
    auto colorOf = [&](const char* name) { return dialog.findChild<ColorBox*>(name)->Selected(); };
    EXPECT_EQ(colorOf("ColorBoxTg"), RgbColor(0xFF, 0, 0));
    EXPECT_EQ(colorOf("ColorBoxNO2"), RgbColor(0, 0, 0));
    EXPECT_EQ(colorOf("ColorBoxTa"), RgbColor(0x80, 0, 0x80));
    EXPECT_EQ(dialog.SeriesColorBox(GasCO)->count(), 16);
    EXPECT_EQ(dialog.PanelTopBox()->count(), 20);
    EXPECT_EQ(dialog.PanelTopBox()->Selected(), RgbColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(dialog.PanelBottomBox()->Selected(), RgbColor(0xFF, 0xFF, 0xFF));
    EXPECT_FALSE(dialog.LogBox()->isChecked());
    EXPECT_TRUE(dialog.View3DBox()->isChecked());
}

TEST(ViewDialog, TypedCoMultiplierStoredAtItsFieldThenSavedAndApplied) {
    TFormSetGView dialog;
    TConfig config = Defaults();
    ScriptedPrompt prompt;
    Calls calls;
    ViewCommand command = calls.View();
    double coAtSave = 0;
    command.SaveConfig = [&] {
        calls.names.push_back("SaveConfig");
        coAtSave = DoubleAt(config, 151);
    };
    const bool stored = WhileModal(
        dialog,
        [&] {
            dialog.findChild<QComboBox*>("ComboBoxCO")->setEditText("2,5");
            dialog.findChild<QCheckBox*>("CheckBoxCO2")->setChecked(true);
            dialog.findChild<ColorBox*>("ColorBoxCO2")->setCurrentIndex(12);  // blue
            dialog.PanelTopBox()->setCurrentIndex(18);                          // cream
            Click(dialog.ApplyButton());
        },
        [&] { return N7Click(dialog, config, prompt, command); });
    EXPECT_TRUE(stored);
    EXPECT_EQ(calls.names, (std::vector<std::string>{"SaveConfig", "ChartsInit"}));
    EXPECT_EQ(coAtSave, 2.5);
    EXPECT_EQ(DoubleAt(config, 151), 2.5);
    // CO2 is record series 7: Show at 195, colour at 108.
    EXPECT_EQ(config.Bytes()[195], 1);
    EXPECT_EQ(config.GasView().SeriesColor(GasCO2), RgbColor(0, 0, 0xFF));
    EXPECT_EQ(config.GasView().PanelEndColor(), RgbColor(0xFF, 0xFB, 0xF0));
    EXPECT_TRUE(prompt.events().empty());

    // The next showing reads the stored value back in general format.
    dialog.Fill(ReadViewValues(config.GasView()));
    EXPECT_EQ(dialog.MultiplierBox(GasCO)->currentText(), "2,5");
}

TEST(ViewDialog, CancelLeavesTheRecordByteIdentical) {
    TFormSetGView dialog;
    TConfig config = Defaults();
    const auto before = config.Bytes();
    ScriptedPrompt prompt;
    ConfigStore store(SettingsFile("view-cancel.ini"), prompt);
    ASSERT_TRUE(store.SaveConfig(config));
    const std::string fileBefore = FileBytes(store.FileName());
    Calls calls;
    ViewCommand command = calls.View();
    command.SaveConfig = [&] { store.SaveConfig(config); };
    for (bool escape : {false, true}) {
        WhileModal(
            dialog,
            [&] {
                dialog.MultiplierBox(GasO2)->setEditText("7");
                dialog.ShowBox(GasNO)->setChecked(true);
                dialog.LogBox()->setChecked(true);
                if (escape) {
                    PressEscape(dialog);
                } else {
                    Click(dialog.CancelButton());
                }
            },
            [&] { return N7Click(dialog, config, prompt, command); });
    }
    EXPECT_EQ(config.Bytes(), before);
    EXPECT_EQ(FileBytes(store.FileName()), fileBefore);
    EXPECT_TRUE(calls.names.empty());
}

TEST(ViewDialog, ConfirmingTemperatureDialogReappliesAllThreeCharts) {
    TFormSetTView dialog;
    EXPECT_EQ(dialog.LogBox()->text(), U("Логарифмическая шкала результатов"));
    TConfig config = Defaults();
    config.GasView().SetLogarithmic(true);  // stored earlier, not yet seen on the chart
    ScriptedPrompt prompt;
    Calls calls;
    // What ChartsInit finds in the record when it restyles the three charts.
    bool gasLog = false;
    bool tdifShown = true;
    double pdMultiplier = 0;
    ViewCommand command = calls.View();
    command.ChartsInit = [&] {
        calls.names.push_back("ChartsInit");
        gasLog = config.GasView().Logarithmic();
        tdifShown = config.TempView().Series(TempTdif).Show;
        pdMultiplier = config.PressView().Series(PressPd).Multiplier;
    };
    WhileModal(
        dialog,
        [&] {
            // Tdif is the fourth row and record series 3.
            auto* tdif = dialog.findChild<QCheckBox*>("CheckBoxTdif");
            ASSERT_EQ(tdif, dialog.ShowBox(TempTdif));
            tdif->setChecked(false);
            Click(dialog.ApplyButton());
        },
        [&] { return N18Click(dialog, config, prompt, command); });
    EXPECT_EQ(calls.names, (std::vector<std::string>{"SaveConfig", "ChartsInit"}));
    EXPECT_FALSE(tdifShown);
    EXPECT_TRUE(gasLog);
    EXPECT_EQ(pdMultiplier, 1.0);
    EXPECT_EQ(config.Bytes()[311], 0);  // Tdif Show
}

TEST(ViewDialog, PressureRowsAndStoredColourOutsideTheList) {
    TFormSetPView dialog;
    for (const char* q : {"Pd", "Pa", "v", "vp", "Qv"})
        EXPECT_NE(dialog.findChild<QCheckBox*>(QString("CheckBox") + q), nullptr) << q;
    TConfig config = Defaults();
    const Color odd = RgbColor(0x12, 0x34, 0x56);
    config.PressView().SetSeriesColor(PressVp, odd);
    config.PressView().SetPanelStartColor(0x80000005);  // a value only another program writes
    ScriptedPrompt prompt;
    Calls calls;
    WhileModal(
        dialog,
        [&] {
            ColorBox* vp = dialog.SeriesColorBox(PressVp);
            EXPECT_EQ(vp->count(), 17);
            EXPECT_EQ(vp->currentText(), "#123456");
            EXPECT_EQ(vp->Selected(), odd);
            Click(dialog.ApplyButton());
        },
        [&] { return N19Click(dialog, config, prompt, calls.View()); });
    EXPECT_EQ(config.PressView().SeriesColor(PressVp), odd);
    EXPECT_EQ(config.PressView().PanelStartColor(), 0x80000005u);

    // A list colour afterwards drops the extra entry again.
    config.PressView().SetSeriesColor(PressVp, RgbColor(0xFF, 0xFF, 0));
    dialog.Fill(ReadViewValues(config.PressView()));
    EXPECT_EQ(dialog.SeriesColorBox(PressVp)->count(), 16);
}

// ---- About box -----------------------------------------------------------

namespace {

struct AboutFixture {
    std::vector<std::string> opened;
    ManualTimer* timer = nullptr;
    std::unique_ptr<TAboutBox> box;
    AboutFixture() {
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        box = std::make_unique<TAboutBox>(nullptr, std::move(manual), std::make_unique<RecordingShell>(opened));
    }
    // Shows the box modally; `whileOpen` lets time pass and presses buttons.
    void Show(std::function<void()> whileOpen) {
        WhileModal(*box, std::move(whileOpen), [&] { return box->ShowModal(); });
    }
};

}  // namespace

TEST(AboutBox, ContentsAndLinks) {
    AboutFixture about;
    TAboutBox& box = *about.box;
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.size(), QSize(274, 243));
    EXPECT_EQ(box.findChild<QLabel*>("Image1")->pixmap().size(), QSize(250, 75));
    EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(), U("Программа обмена газоанализатора VORNIK"));
    EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), "ver. A.01 18.01.2011");
    EXPECT_EQ(box.findChild<QPushButton*>("SpeedButton1")->text(), "EXIT");
    EXPECT_FALSE(about.timer->Enabled());
    EXPECT_EQ(about.timer->Interval(), 5000);

    about.Show([&] {
        Click(box.findChild<QLabel*>("Label1"));
        Click(box.findChild<QLabel*>("Label2"));
        EXPECT_TRUE(box.isVisible());  // a link the shell cannot open reports nothing
        Click(box.findChild<QPushButton*>("SpeedButton1"));
    });
    EXPECT_EQ(about.opened, (std::vector<std::string>{"https://vornik.example.org", "mailto:info@vornik.example.org"}));
}

TEST(AboutBox, SplashClosesAfterFiveSecondsLaterShowingsAfterFifteen) {
    AboutFixture about;
    about.Show([&] {
        EXPECT_TRUE(about.timer->Enabled());
        about.timer->Advance(4999);
        EXPECT_TRUE(about.box->isVisible());
        about.timer->Advance(1);
        EXPECT_FALSE(about.box->isVisible());
    });
    EXPECT_FALSE(about.timer->Enabled());
    EXPECT_EQ(about.timer->Interval(), 15000);

    for (int showing = 0; showing < 2; ++showing) {
        about.Show([&] {
            about.timer->Advance(14999);
            EXPECT_TRUE(about.box->isVisible());
            about.timer->Advance(1);
            EXPECT_FALSE(about.box->isVisible());
        });
    }
}

TEST(AboutBox, ExitDoesNotStopTheTimerAndTheMenuShowingLastsFifteenSeconds) {
    AboutFixture about;
    // The splash, closed with EXIT after 2 s.
    about.Show([&] {
        about.timer->Advance(2000);
        Click(about.box->findChild<QPushButton*>("SpeedButton1"));
        EXPECT_FALSE(about.box->isVisible());
    });
    EXPECT_TRUE(about.timer->Enabled());
    // 8 s later: the tick at 5 s closed nothing and switched to 15 s.
    about.timer->Advance(8000);
    EXPECT_FALSE(about.timer->Enabled());
    EXPECT_EQ(about.timer->Interval(), 15000);
    // "О программе" at 10 s.
    about.Show([&] {
        about.timer->Advance(14999);
        EXPECT_TRUE(about.box->isVisible());
        about.timer->Advance(1);
        EXPECT_FALSE(about.box->isVisible());
    });
}

TEST(AboutBox, AShowingBeforeTheSplashTickStillLastsFifteenSeconds) {
    AboutFixture about;
    about.Show([&] {
        about.timer->Advance(1400);
        Click(about.box->findChild<QPushButton*>("SpeedButton1"));
    });
    about.timer->Advance(1800);  // the splash's tick is still due at 5 s
    about.Show([&] {
        about.timer->Advance(14999);
        EXPECT_TRUE(about.box->isVisible());
        about.timer->Advance(1);
        EXPECT_FALSE(about.box->isVisible());
    });
}

TEST(AboutBox, RealTimerStartsOnShowingWithFiveSeconds) {
    TAboutBox box;
    EXPECT_FALSE(box.Timer1().Enabled());
    box.show();
    EXPECT_TRUE(box.Timer1().Enabled());
    EXPECT_EQ(box.Timer1().Interval(), 5000);
    box.Timer1Timer();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.Timer1().Enabled());
    EXPECT_EQ(box.Timer1().Interval(), 15000);
}

// ---- Look ----------------------------------------------------------------

// Every dialog's controls fit its design client area and renders to a picture.
TEST(DialogLook, ContentsFitTheDesignSize) {
    TConfig config = Defaults();
    TFormOption option;
    option.SetDeviceLister([] { return std::vector<std::string>{"/dev/ttyUSB0"}; });
    option.Fill(config);
    TFormSetGView gas;
    gas.Fill(ReadViewValues(config.GasView()));
    TFormSetTView temp;
    temp.Fill(ReadViewValues(config.TempView()));
    TFormSetPView press;
    press.Fill(ReadViewValues(config.PressView()));
    TAboutBox about;

    const test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    const std::vector<std::tuple<QWidget*, QSize, const char*>> dialogs = {
        {&option, {199, 186}, "options"}, {&gas, {455, 312}, "gas-view"}, {&temp, {278, 284}, "temp-view"},
        {&press, {278, 284}, "press-view"}, {&about, {274, 243}, "about"}};
    for (const auto& [widget, size, name] : dialogs) {
        widget->show();
        if (widget->layout()) {
            const QSize needed = widget->layout()->minimumSize();
            EXPECT_LE(needed.width(), size.width()) << name;
            EXPECT_LE(needed.height(), size.height()) << name;
        }
        EXPECT_EQ(widget->size(), size) << name;
        for (QWidget* child : widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(widget->rect().contains(child->geometry())) << name << " " << child->objectName().toStdString();
        EXPECT_TRUE(widget->grab().save(folder + "/" + name + ".png")) << name;
        widget->hide();
    }
    about.Timer1().SetEnabled(false);
}
