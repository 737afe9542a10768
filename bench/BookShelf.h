#pragma once

#include <filesystem>

namespace bench {

// The directory one run makes its books in: a new one under `under` (TMPDIR or /tmp when empty),
// removed with the run unless the books are to be kept. A run that was killed cannot remove its own,
// so each run first removes those of runs whose process is gone.
class BookShelf {
public:
    BookShelf(const std::filesystem::path& under, bool keep);
    ~BookShelf();
    BookShelf(const BookShelf&) = delete;
    BookShelf& operator=(const BookShelf&) = delete;

    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    bool keep_;
};

}  // namespace bench
