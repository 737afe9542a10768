#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace korvale::tool {

// "Importing: 42%" on standard error, redrawn in place a few times a second; only when standard error
// is a terminal, so that scripts and logs get nothing of it.
class Progress {
public:
    Progress(std::string what, std::uint64_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Cheap enough to call for every contact.
    void show(std::uint64_t done) {
        if (shown_ && (++calls_ & kCallsPerLook) == 0) draw(done);
    }

private:
    static constexpr std::uint64_t kCallsPerLook = 0xFFF;
    static constexpr std::chrono::milliseconds kRedraw{250};
    void draw(std::uint64_t done);

    std::string what_;
    std::uint64_t total_;
    bool shown_;
    bool drawn_ = false;
    std::uint64_t calls_ = 0;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace korvale::tool
