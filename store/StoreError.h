#pragma once

#include <stdexcept>
#include <string>

namespace korvale {

// Every failure of the book carries a sentence that names what failed and why (the file, the table,
// the engine's own reason) and, where the engine raised it, SQLite's result code.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& message, int sqliteCode = 0)
        : std::runtime_error(message), code_(sqliteCode) {}

    // SQLite's primary or extended result code; 0 when the failure was found by this layer itself.
    int code() const noexcept { return code_; }

private:
    int code_;
};

}  // namespace korvale
