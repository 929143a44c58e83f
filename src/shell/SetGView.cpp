#include "shell/SetGView.h"

namespace vornik {

bool N7Click(TFormSetGView& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command) {
    return RunViewDialog(dialog, config, prompt, command);
}

}  // namespace vornik
