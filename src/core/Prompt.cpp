#include "core/Prompt.h"

namespace vornik {

std::string GeneralErrorText(const std::string& message) {
    if (!message.empty() && message.back() == '.')
        return message;
    return message + ".";
}

}  // namespace vornik
