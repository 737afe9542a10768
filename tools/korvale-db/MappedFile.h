#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace korvale::tool {

// A file's bytes, mapped rather than read: a large file costs no copy. Only a regular file is taken.
class MappedFile {
public:
    explicit MappedFile(const std::filesystem::path& file);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view text() const;

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace korvale::tool
