#pragma once

#include <filesystem>
#include <string>

// What `korvale` was asked on its command line. It is read before the window system is touched, so
// that --help and --version answer on a terminal without a display.
struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };

    Action action = Action::Run;
    // The folder named by --book; empty for the usual place.
    std::filesystem::path bookDir;
    // Why the line was refused.
    std::string complaint;

    static CommandLine parse(int argc, const char* const argv[]);
    static std::string usage();
    static std::string version();
};
