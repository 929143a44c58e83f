#include "shell/SetTView.h"

namespace vornik {

bool N18Click(TFormSetTView& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command) {
    return RunViewDialog(dialog, config, prompt, command);
}

}  // namespace vornik
