#include "tools/korvale-db/CommandLine.h"

#include <algorithm>

#include "store/ClientStore.h"

namespace korvale::tool {

namespace {

const CommandSyntax& syntaxOf(std::span<const CommandSyntax> commands, std::string_view name) {
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const CommandSyntax& c) { return c.name == name; });
    if (found == commands.end()) throw UsageError("unknown command " + std::string(name));
    return *found;
}

// Every command names the book's folder first, and may leave it out for the folder korvale itself uses;
// this is the one place that reads it. The first word is the folder when there are more words than the
// command's own, or when it could be either and holds a book (history's lone NAME or DIR).
korvale::BookLocation takeBook(const CommandSyntax& syntax, std::vector<std::string>& words) {
    const auto count = static_cast<int>(words.size());
    const bool named =
        count > syntax.operands || (count > syntax.operands - syntax.optional &&
                                    std::filesystem::exists(korvale::ClientStore::bookPath(words.front())));
    const korvale::BookLocation book =
        korvale::BookLocation::find(korvale::BookLocation::runningProgramDir(), named ? words.front() : "");
    if (named) words.erase(words.begin());
    return book;
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
        } else if (auto user = valueOf(syntax.takesUser, "--user")) {
            line.user = std::move(user);
        } else if (syntax.takesDryRun && word == "--dry-run") {
            line.dryRun = true;
        } else {
            throw UsageError(std::string(syntax.name) + " has no option " + word);
        }
    }

    const auto count = static_cast<int>(words.size());
    if (count < syntax.operands - syntax.optional || count > syntax.operands + 1) {
        throw UsageError(std::string(syntax.name) + " takes " +
                         (syntax.operands == 0 ? std::string("at most one directory")
                                               : "[DIR] " + std::string(syntax.words)));
    }
    line.book = takeBook(syntax, words);
    line.operands = std::move(words);
    return line;
}

}  // namespace korvale::tool
