#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>

#include "ScriptedPrompt.h"
#include "config/Config.h"
#include "config/OptionDialogLogic.h"
#include "device/SerialDevices.h"
#include "config/ViewDialogLogic.h"

using namespace vornik;
using test::PromptEvent;
using test::ScriptedPrompt;

namespace {

TConfig Defaults() {
    TConfig config;
    config.LoadDefaults();
    return config;
}

}  // namespace

TEST(Multiplier, ShownInGeneralFormatWithComma) {
    EXPECT_EQ(FormatMultiplier(1), "1");
    EXPECT_EQ(FormatMultiplier(10), "10");
    EXPECT_EQ(FormatMultiplier(1000), "1000");
    EXPECT_EQ(FormatMultiplier(0.1), "0,1");
    EXPECT_EQ(FormatMultiplier(2.5), "2,5");
    EXPECT_EQ(FormatMultiplier(-2.5), "-2,5");
    EXPECT_EQ(FormatMultiplier(0), "0");
    EXPECT_EQ(FormatMultiplier(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(FormatMultiplier(2.0 / 3), "0,666666666666667");
    EXPECT_EQ(FormatMultiplier(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatMultiplier(0.0001), "0,0001");
    // Beyond 15 integer digits or below 0,0001 the exponent form is used.
    EXPECT_EQ(FormatMultiplier(1e15), "1E15");
    EXPECT_EQ(FormatMultiplier(1.5e-5), "1,5E-5");
    EXPECT_EQ(FormatMultiplier(-2e20), "-2E20");
}

TEST(Multiplier, ReadsCommaNumbersOnly) {
    EXPECT_EQ(ParseMultiplier("2,5"), 2.5);
    EXPECT_EQ(ParseMultiplier(" 0,1 "), 0.1);
    EXPECT_EQ(ParseMultiplier("-3"), -3.0);
    EXPECT_EQ(ParseMultiplier("+3"), 3.0);
    EXPECT_EQ(ParseMultiplier(",5"), 0.5);
    EXPECT_EQ(ParseMultiplier("5,"), 5.0);
    EXPECT_EQ(ParseMultiplier("1E3"), 1000.0);
    EXPECT_EQ(ParseMultiplier("1,5e-2"), 0.015);
    for (const char* bad : {"abc", "1.5", "", " ", ",", "-", "1E", "1,2,3", "1 2", "1e999", "0x10", "inf", "nan"})
        EXPECT_FALSE(ParseMultiplier(bad).has_value()) << bad;
    EXPECT_EQ(NotAFloatText("abc"), "'abc' is not a valid floating point value");
}

TEST(Multiplier, EveryShownValueReadsBackTheSame) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-8, 18);
    for (int i = 0; i < 2000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const std::optional<double> back = ParseMultiplier(FormatMultiplier(value));
        ASSERT_TRUE(back.has_value()) << FormatMultiplier(value);
        // 15 significant digits: equal up to the last bits of the double.
        EXPECT_NEAR(*back, value, std::abs(value) * 1e-14) << FormatMultiplier(value);
    }
    for (const std::string& item : MultiplierItems())
        EXPECT_EQ(FormatMultiplier(*ParseMultiplier(item)), item);
}

TEST(Options, RefreshPeriodLimitedToOneToSixty) {
    EXPECT_EQ(LimitRefreshPeriod(0), 1);
    EXPECT_EQ(LimitRefreshPeriod(-7), 1);
    EXPECT_EQ(LimitRefreshPeriod(1), 1);
    EXPECT_EQ(LimitRefreshPeriod(30), 30);
    EXPECT_EQ(LimitRefreshPeriod(60), 60);
    EXPECT_EQ(LimitRefreshPeriod(75), 60);
}

TEST(Options, ConfirmCutsTheNameAndLeavesTheTimerOffWithoutAPort) {
    TConfig config = Defaults();
    std::vector<std::string> calls;
    auto note = [&](const char* name) { return [&calls, name] { calls.push_back(name); }; };
    const OptionCommand command{note("StopTimer"), note("OpenPort"), note("SaveConfig"), [] { return false; },
                                note("EnsureTimerRunning")};
    const std::string forty = "/dev/serial/by-id/usb-VORNIK-0123456789A";
    ConfirmOptions(config, forty, 75, command);
    EXPECT_EQ(calls, (std::vector<std::string>{"StopTimer", "OpenPort", "SaveConfig"}));
    EXPECT_EQ(config.Bytes()[0], 30);
    EXPECT_EQ(config.PortName(), forty.substr(0, 30));
    EXPECT_EQ(config.RefreshPeriod(), 60);
}

TEST(Options, SerialDevicesFoundInDevDirectory) {
    const auto root = std::filesystem::path(::testing::TempDir()) / "vornik-serial-scan";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "dev");
    std::filesystem::create_directories(root / "sys");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "tty1", "ttyUSB", "console",
                             "ttyUSBx", "rfcomm0"})
        std::ofstream(root / "dev" / name);
    auto sysType = [&](const char* name, const char* type) {
        std::filesystem::create_directories(root / "sys" / name);
        std::ofstream(root / "sys" / name / "type") << type << "\n";
    };
    sysType("ttyS0", "4");  // a UART that answered
    sysType("ttyS1", "0");  // a node without hardware; ttyS2 has no entry at all

    const std::string dev = (root / "dev").generic_string();
    EXPECT_EQ(SerialDevicePaths(dev, (root / "sys").generic_string()),
              (std::vector<std::string>{dev + "/rfcomm0", dev + "/ttyACM0", dev + "/ttyS0", dev + "/ttyUSB2",
                                        dev + "/ttyUSB10"}));
    EXPECT_TRUE(SerialDevicePaths((root / "missing").generic_string(), "").empty());
    std::filesystem::remove_all(root);
}

TEST(ViewLogic, RowsBoundByQuantityNotPosition) {
    const ViewDialogLayout& gas = GasViewLayout();
    ASSERT_EQ(gas.groups.size(), 2u);
    EXPECT_STREQ(gas.groups[1][0].caption, "CO2");
    EXPECT_EQ(gas.groups[1][0].index, GasCO2);
    EXPECT_STREQ(gas.groups[1][4].caption, "Ta");
    EXPECT_EQ(gas.groups[1][4].index, GasTa);
    EXPECT_STREQ(gas.groups[1][5].caption, "NOx");
    EXPECT_EQ(gas.groups[1][5].index, GasNOx);
    EXPECT_STREQ(TempViewLayout().groups[0][3].caption, "Tdif");
    EXPECT_EQ(TempViewLayout().groups[0][3].index, TempTdif);
    // Every series of each block has exactly one row and one place in the store order.
    for (const ViewDialogLayout* layout : {&gas, &TempViewLayout(), &PressViewLayout()}) {
        std::vector<int> seen;
        for (const auto& group : layout->groups)
            for (const ViewRow& row : group) seen.push_back(row.index);
        std::sort(seen.begin(), seen.end());
        std::vector<int> order = layout->storeOrder;
        std::sort(order.begin(), order.end());
        std::vector<int> all(size_t(layout->seriesCount));
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(seen, all);
        EXPECT_EQ(order, all);
    }
}

TEST(ViewLogic, ColourListsInTheirOrderAndHoldingTheDefaults) {
    const auto& series = SeriesColorList();
    ASSERT_EQ(series.size(), 16u);
    EXPECT_EQ(series[0].color, RgbColor(0, 0, 0));
    EXPECT_EQ(series[1].color, RgbColor(0x80, 0, 0));
    EXPECT_EQ(series[9].color, RgbColor(0xFF, 0, 0));
    EXPECT_EQ(series[15].color, RgbColor(0xFF, 0xFF, 0xFF));
    const auto& panel = PanelColorList();
    ASSERT_EQ(panel.size(), 20u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(panel[i].color, series[i].color);
    EXPECT_EQ(panel[16].color, RgbColor(0xC0, 0xDC, 0xC0));
    EXPECT_EQ(panel[17].color, RgbColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(panel[18].color, RgbColor(0xFF, 0xFB, 0xF0));
    EXPECT_EQ(panel[19].color, RgbColor(0xA0, 0xA0, 0xA4));

    auto inList = [](const std::vector<NamedColor>& list, Color c) {
        return std::any_of(list.begin(), list.end(), [c](const NamedColor& e) { return e.color == c; });
    };
    TConfig config = Defaults();
    for (int page = 0; page < 3; ++page) {
        const TViewParams view = config.View(page);
        for (int i = 0; i < view.SeriesCount(); ++i) EXPECT_TRUE(inList(series, view.SeriesColor(i))) << page << i;
        EXPECT_TRUE(inList(panel, view.PanelStartColor()));
        EXPECT_TRUE(inList(panel, view.PanelEndColor()));
        EXPECT_FALSE(inList(series, view.PanelEndColor()));
    }
}

TEST(ViewLogic, MultiplierNotANumberChangesNothing) {
    TConfig config = Defaults();
    config.Bytes()[250] = 0x5A;  // a reserved byte, to see the whole record kept
    const auto before = config.Bytes();
    TViewParams gas = config.GasView();
    ViewValues values = ReadViewValues(gas);
    values.show.flip();
    values.multiplier[GasTg] = "3";
    values.multiplier[GasNO] = "abc";
    values.multiplier[GasCO2] = "1.5";  // stored before NO, so reported first
    values.logarithmic = true;

    ScriptedPrompt prompt;
    int calls = 0;
    EXPECT_FALSE(ConfirmView(gas, values, GasViewLayout().storeOrder, prompt,
                             {[&] { ++calls; }, [&] { ++calls; }}));
    EXPECT_EQ(config.Bytes(), before);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(prompt.events(), (std::vector<PromptEvent>{
                                   {PromptEvent::General, "", "'1.5' is not a valid floating point value."}}));

    values.multiplier[GasCO2] = "1";
    prompt.Clear();
    EXPECT_FALSE(ConfirmView(gas, values, GasViewLayout().storeOrder, prompt, {}));
    EXPECT_EQ(prompt.boxes().at(0).text, "'abc' is not a valid floating point value.");
    EXPECT_EQ(config.Bytes(), before);
}
