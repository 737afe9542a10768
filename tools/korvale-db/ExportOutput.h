#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace korvale::tool {

// Standard output, or a file that appears under its name only once it is whole: written beside it
// under a temporary name, flushed to disk, then renamed over it, so that a failed export leaves any
// earlier file as it was. Created 0600 like the book: it holds the same contacts.
class ExportOutput {
public:
    explicit ExportOutput(const std::optional<std::filesystem::path>& file);
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

}  // namespace korvale::tool
