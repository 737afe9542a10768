#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace korvale::robust {

// Makes a file or a directory unwritable for this process until destroyed. Root writes through any
// mode bits, so for root the inode is marked immutable (what chattr +i does); anyone else gets the
// write bits taken away. ok() tells whether a write is now really refused, reason() why not.
class Unwritable {
public:
    explicit Unwritable(std::filesystem::path path);
    ~Unwritable();
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;

    bool ok() const { return ok_; }
    const QString& reason() const { return reason_; }
    // Gives the write permission back before the guard ends.
    void restore();

private:
    std::filesystem::path path_;
    bool immutable_ = false;
    bool chmodded_ = false;
    std::filesystem::perms oldPerms_{};
    bool ok_ = false;
    QString reason_;
};

// A small filesystem of its own (tmpfs) mounted over a directory, visible to this process only (it
// lives in a private mount namespace), so that the disk can really run full under the book.
class SmallDisk {
public:
    SmallDisk(std::filesystem::path mountPoint, std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return ok_; }
    const QString& reason() const { return reason_; }
    // Takes every free byte but `leave` with a filler file; release() gives them back.
    bool fill(std::size_t leave);
    void release();
    std::size_t freeBytes() const;

private:
    std::filesystem::path mountPoint_;
    bool ok_ = false;
    QString reason_;
};

// The whole file, for comparing a book before and after something was done to it.
std::string fileBytes(const std::filesystem::path& file);

}  // namespace korvale::robust
