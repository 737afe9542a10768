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
// command's own, or when it could be either and holds a book (history's lone NAME or DIR, sync's lone
// URL or DIR: a URL is never the folder).
korvale::BookLocation takeBook(const CommandSyntax& syntax, std::vector<std::string>& words) {
    const auto count = static_cast<int>(words.size());
    const bool named =
        count > syntax.operands ||
        (count > syntax.operands - syntax.optional && words.front().find("://") == std::string::npos &&
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
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            words.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::string_view name = std::string_view(word).substr(0, word.find('='));
        const auto option = std::find_if(syntax.options.begin(), syntax.options.end(),
                                         [&](const OptionSyntax& o) { return o.name == name; });
        if (option == syntax.options.end())
            throw UsageError(std::string(syntax.name) + " has no option " + word);
        std::string value;
        if (!option->takesValue) {
            if (name.size() != word.size()) throw UsageError(std::string(name) + " takes no value");
        } else if (name.size() != word.size()) {
            value = word.substr(name.size() + 1);
        } else if (i + 1 == arguments.size()) {
            throw UsageError(std::string(name) + " needs a value");
        } else {
            value = arguments[++i];
        }
        line.options.insert_or_assign(std::string(name), std::move(value));
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
