#include "shell/SetPView.h"

namespace vornik {

bool N19Click(TFormSetPView& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command) {
    return RunViewDialog(dialog, config, prompt, command);
}

}  // namespace vornik
