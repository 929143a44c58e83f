#pragma once
// Asks the operating system's shell to open an address (a web page, a
// "mailto:" link) with its default action, behind an interface so that tests
// record what would have been opened instead of starting a browser.
#include <string>

namespace vornik {

class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    // Returns whether the shell took the request; callers may ignore it.
    virtual bool Open(const std::string& address) = 0;
};

}  // namespace vornik
