#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/BookLocation.h"

namespace korvale::tool {

// An option a command accepts: "--dry-run" alone, or "--format csv" / "--format=csv" with a value.
struct OptionSyntax {
    std::string_view name;
    bool takesValue = false;
};

// What one command accepts after its name: the book's directory, which may be left out, then `operands`
// more words (the last `optional` of them may be left out; `words` names them), and `options`.
struct CommandSyntax {
    std::string_view name;
    std::string_view words = {};
    int operands = 0;
    int optional = 0;
    std::span<const OptionSyntax> options = {};
};

// A command line that follows its command's syntax.
struct CommandLine {
    std::string command;
    korvale::BookLocation book;
    std::vector<std::string> operands;
    // The options given, by name ("--format"); a flag's value is empty.
    std::map<std::string, std::string, std::less<>> options;

    bool has(std::string_view option) const { return options.contains(option); }
    std::optional<std::string> value(std::string_view option) const {
        const auto found = options.find(option);
        return found == options.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
};

// A command line that follows no syntax; the text says what is wrong with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command that cannot be done for a reason of the tool's own, not the book's: a file that cannot be read
// as contacts. Reported as a StoreError is, without the usage text.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads argv[1..]: the command, then words and options in any order ("--" ends the options, so a name
// may begin with "-"). Throws UsageError.
CommandLine parseCommandLine(std::span<const CommandSyntax> commands, std::span<char* const> arguments);

}  // namespace korvale::tool
