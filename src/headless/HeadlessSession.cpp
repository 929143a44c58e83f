#include "headless/HeadlessSession.h"

#include <chrono>
#include <thread>

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "core/Cp1251.h"
#include "core/Paths.h"
#include "core/StreamPrompt.h"
#include "device/PortHandling.h"
#include "device/DrivenPollTimer.h"
#include "headless/HeadlessLogger.h"
#include "reception/ReplyDecoder.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

std::string PortNameOf(const HeadlessOptions& options) {
    if (!options.portName.empty()) return Utf8ToCp1251(options.portName);
    TConfig config;
    config.LoadDefaults();
    const std::string file =
        options.configFile.empty() ? ConfigFileName(options.programPath) : options.configFile;
    StreamPrompt quiet;
    ConfigStore(file, quiet).Read(config);  // a missing file leaves the defaults
    return config.PortName();
}

std::string OutFolderOf(const HeadlessOptions& options) {
    if (!options.outFolder.empty()) return options.outFolder;
    const std::string folder = FolderOf(options.programPath);
    return FolderWritable(folder) ? folder : HomeFolder();
}

bool SameDay(const DateTime& a, const DateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

int RunHeadless(const HeadlessOptions& options, StreamPrompt& prompt, const Clock& clock,
                std::function<std::unique_ptr<CommDriver>()> makeDriver, const std::atomic<bool>& stop) {
    MainModel model;
    model.GridsLayout(0);
    ReplyDecoder decoder(model, prompt, [&prompt](const std::string& text) { prompt.Line("reception: " + text); });
    const std::string folder = OutFolderOf(options);
    HeadlessLogger logger(model, clock, folder, FileNameOf(WithoutExtension(options.programPath)));
    logger.Attach(decoder);

    DrivenPollTimer timer;
    PortHandling port(prompt, timer, std::move(makeDriver),
                      [&decoder](uint8_t value, bool lineError) { decoder.Recieve(nullptr, value, lineError); });
    port.OnStateChange = [&](PortState state) {
        if (state == PortState::Lost) decoder.DropReply();
        if (!port.StatusText().empty()) prompt.Line(port.StatusText());
    };
    const std::string portName = PortNameOf(options);
    prompt.Line("listening to " + Cp1251ToUtf8(portName) + ", writing to " + folder);
    port.CreatePort(portName);
    if (!port.Port()) return 2;

    DateTime day = clock.Now();
    while (!stop.load()) {
        timer.Tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(PortHandling::kPollInterval));
        // Each day's rows are in that day's files: the tables start afresh,
        // so memory does not grow over weeks and row numbers follow the file.
        const DateTime now = clock.Now();
        if (!SameDay(now, day)) {
            model.ChartClear(true, true, true);
            day = now;
        }
    }
    port.DestoryPort();
    prompt.Line("stopped; rows written: " + std::to_string(logger.RowsWritten()));
    return 0;
}

}  // namespace vornik
