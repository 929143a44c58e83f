#pragma once
// Shell-open through Qt: the desktop's default browser or mail program.
#include "core/ShellOpen.h"

namespace vornik {

class QtShellOpen : public ShellOpen {
public:
    bool Open(const std::string& address) override;
};

}  // namespace vornik
