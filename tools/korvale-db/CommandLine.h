#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/BookLocation.h"

namespace korvale::tool {

// What one command accepts after its name: the book's directory, which may be left out, then `operands`
// more words (the last `optional` of them may be left out; `words` names them), and the options it names.
struct CommandSyntax {
    std::string_view name;
    std::string_view words;
    int operands = 0;
    int optional = 0;
    bool takesFormat = false;
    bool takesOutput = false;
    bool takesDryRun = false;
    bool takesUser = false;
};

// A command line that follows its command's syntax.
struct CommandLine {
    std::string command;
    korvale::BookLocation book;
    std::vector<std::string> operands;
    std::optional<std::string> format;
    std::optional<std::filesystem::path> output;
    bool dryRun = false;
    std::optional<std::string> user;
};

// A command line that follows no syntax; the text says what is wrong with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads argv[1..]: the command, then words and options in any order ("--" ends the options, so a name
// may begin with "-"). Throws UsageError.
CommandLine parseCommandLine(std::span<const CommandSyntax> commands, std::span<char* const> arguments);

}  // namespace korvale::tool
