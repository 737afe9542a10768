#include "tools/korvale-db/CommandLine.h"

#include <algorithm>

namespace korvale::tool {

namespace {

const CommandSyntax& syntaxOf(std::span<const CommandSyntax> commands, std::string_view name) {
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const CommandSyntax& c) { return c.name == name; });
    if (found == commands.end()) throw UsageError("unknown command " + std::string(name));
    return *found;
}

// Every command names the book's directory first; this is the one place that reads it.
std::filesystem::path takeBookDir(std::vector<std::string>& words) {
    std::filesystem::path dir = words.front();
    words.erase(words.begin());
    return dir;
}

}  // namespace

CommandLine parseCommandLine(std::span<const CommandSyntax> commands, std::span<char* const> arguments) {
    if (arguments.empty()) throw UsageError("no command given");
    const CommandSyntax& syntax = syntaxOf(commands, arguments.front());
    CommandLine line;
    line.command = syntax.name;

    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string word = arguments[i];
        // "--format csv" and "--format=csv" alike.
        const auto valueOf = [&](bool accepted, std::string_view option) -> std::optional<std::string> {
            if (!accepted) return std::nullopt;
            if (word == option) {
                if (i + 1 == arguments.size()) throw UsageError(std::string(option) + " needs a value");
                return arguments[++i];
            }
            if (word.starts_with(std::string(option) + "=")) return word.substr(option.size() + 1);
            return std::nullopt;
        };
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            words.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (auto format = valueOf(syntax.takesFormat, "--format")) {
            line.format = std::move(format);
        } else if (auto output = valueOf(syntax.takesOutput, "-o")) {
            line.output = *output;
        } else if (syntax.takesDryRun && word == "--dry-run") {
            line.dryRun = true;
        } else {
            throw UsageError(std::string(syntax.name) + " has no option " + word);
        }
    }

    const auto count = static_cast<int>(words.size()) - 1;
    if (count < syntax.operands - syntax.optional || count > syntax.operands) {
        throw UsageError(std::string(syntax.name) + " takes " +
                         (syntax.operands == 0 ? std::string("exactly one directory")
                                               : "a directory and " + std::to_string(syntax.operands) +
                                                     " more (see the usage)"));
    }
    line.bookDir = takeBookDir(words);
    line.operands = std::move(words);
    return line;
}

}  // namespace korvale::tool
