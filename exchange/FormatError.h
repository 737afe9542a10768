#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace korvale::exchange {

// A file that cannot be read as contacts: the line where reading stopped and why.
class FormatError : public std::runtime_error {
public:
    FormatError(std::size_t line, const std::string& cause)
        : std::runtime_error("line " + std::to_string(line) + ": " + cause), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

}  // namespace korvale::exchange
