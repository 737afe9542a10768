#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace korvale::sync {

// A server's password and where it came from: one taken from the keyring is not kept there again.
struct ServerPassword {
    enum class Source { Environment, Keyring, Terminal };
    QString text;
    Source source = Source::Terminal;
};
// Gives the password of a user at a server (its URL as the book keeps it); throws when there is none.
using PasswordSource = std::function<ServerPassword(const QString& url, const QString& user)>;

// Asks the user for the password of `account` ("user at URL"); `keyringProblem`, when not empty, says why
// the keyring could not be asked. Nothing when there is no one to ask.
using PasswordPrompt =
    std::function<std::optional<QString>(const std::string& account, const std::string& keyringProblem)>;

// The password of `user` at the server `url`: KORVALE_PASSWORD when it is set, else the one kept in the
// desktop's keyring, else the one `prompt` gets. Held in memory only; nothing writes it anywhere. Throws
// StoreError naming the cause when there is none of the three.
ServerPassword serverPassword(const QString& url, const QString& user, const PasswordPrompt& prompt);

}  // namespace korvale::sync
