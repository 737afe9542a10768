#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvale::exchange {

// A regular file's bytes, read whole into memory. The type is checked before anything is read, so that a
// FIFO or a device is refused at once rather than waited on; and a file that shrinks while it is read
// only ends sooner, where a mapping of it would fault. A file larger than kLargest is refused before a
// byte of it is read: it is held in memory whole, and no book's worth of contacts comes near it.
class InputFile {
public:
    static constexpr std::uint64_t kLargest = std::uint64_t{1} << 30;

    explicit InputFile(const std::filesystem::path& file);

    std::string_view text() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace korvale::exchange
