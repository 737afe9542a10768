#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace korvale::exchange {

// Standard output, or a file that appears under its name only once it is whole: written beside it
// under a temporary name, flushed to disk, then renamed over it, so that a failed export leaves any
// earlier file as it was. Created 0600 like the book: it holds the same contacts. Only a regular file is
// ever replaced, and never the book itself or its -wal or -shm file, by whatever path it is named: a
// symbolic link, a device, a FIFO or a directory at `file` is refused (StoreError), as the rename would
// put a regular file in its place.
class ExportOutput {
public:
    ExportOutput(const std::optional<std::filesystem::path>& file, const std::filesystem::path& book);
    ~ExportOutput();
    ExportOutput(const ExportOutput&) = delete;
    ExportOutput& operator=(const ExportOutput&) = delete;

    std::string name() const;
    // Writes the whole buffer and empties it.
    void write(std::string& buffer);
    void finish();

private:
    int fd_;
    std::filesystem::path target_;
    std::string temporary_;
};

}  // namespace korvale::exchange
