#pragma once
// The error raised by the core's conversions and checks. Its text is what the
// user sees in the general error report.
#include <stdexcept>
#include <string>

namespace vornik {

class VornikError : public std::runtime_error {
public:
    explicit VornikError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace vornik
