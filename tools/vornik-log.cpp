// vornik-log: the logger without a window system. Every received row goes to
// the day's data file of its kind, exactly as `vornik-pc --headless` does; it
// reads the window program's settings and names its files after it when
// installed beside it.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Paths.h"
#include "headless/HeadlessSession.h"

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: vornik-log %s%s  --help            this text\n", vornik::kHeadlessUsage,
                        vornik::kHeadlessOptions);
            return 0;
        }
    }
    const std::string self = vornik::RunningProgramPath(argv[0]);
    const std::string windowProgram = vornik::JoinPath(vornik::FolderOf(self), "vornik-pc");
    return vornik::HeadlessMain(argc, argv, windowProgram, "");
}
