#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <string>

#include "store/BookConnection.h"
#include "sync/DavClient.h"
#include "tools/korvale-db/CommandLine.h"
#include "tools/korvale-db/Password.h"

namespace korvale::tool {

// The server, user and password one sync uses: those on the command line, else the account the book
// remembers; the password from the environment, the keyring or the terminal.
struct SyncAccountChoice {
    // Where the address book is found when the book knows no server yet.
    QUrl given;
    // The server as the book keeps it: no user name inside, no closing slash.
    std::string url;
    QString user;
    std::optional<ServerPassword> password;
    // Whether the user is to be recorded beside the server (the book has none yet).
    bool recordUser = false;
};

// The account of `line` for the book. Nothing, once it has said so, when no URL is given and the book
// syncs with no server: a sync started by a timer on a book never synced touches nothing. Throws
// UsageError for a URL that is no http(s) URL, StoreError for a server or user other than the book's.
std::optional<SyncAccountChoice> chooseSyncAccount(const CommandLine& line, BookConnection& book);

// With --save-password: keeps the password in the keyring once the server took it. Returns false, having
// said why, when it could not be kept.
bool savePassword(const CommandLine& line, const SyncAccountChoice& account, const sync::DavClient& dav);

// sync --forget-password and/or --forget-account: removes the password from the keyring, drops the
// book's server, user and sync state. Syncs nothing.
int forgetAccount(const CommandLine& line);

}  // namespace korvale::tool
