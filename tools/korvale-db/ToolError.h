#pragma once

#include <stdexcept>

namespace korvale::tool {

// A command that cannot be done for a reason of the tool's own, not the book's: a folder that is not
// there, a file that cannot be read as contacts. Reported as a StoreError is, without the usage text.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace korvale::tool
