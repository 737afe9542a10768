#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvale::exchange {

// A regular file's bytes, read whole into memory. The type is checked before anything is read, so that a
// FIFO or a device is refused at once rather than waited on; and a file that shrinks while it is read
// only ends sooner, where a mapping of it would fault.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& file);

    std::string_view text() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace korvale::exchange
