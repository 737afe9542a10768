#include "tools/korvale-db/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "store/StoreError.h"

namespace korvale::tool {

MappedFile::MappedFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const std::string why = fd < 0 ? std::strerror(errno) : "it is not a regular file";
        if (fd >= 0) ::close(fd);
        throw StoreError("Cannot read " + file.string() + ": " + why);
    }
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ > 0) data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    ::close(fd);
    if (data_ == MAP_FAILED) throw StoreError("Cannot read " + file.string() + ": " + std::strerror(error));
}

MappedFile::~MappedFile() {
    if (size_ > 0 && data_ != MAP_FAILED) ::munmap(data_, size_);
}

std::string_view MappedFile::text() const {
    return size_ > 0 ? std::string_view(static_cast<const char*>(data_), size_) : std::string_view();
}

}  // namespace korvale::tool
