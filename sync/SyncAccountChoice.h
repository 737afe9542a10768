#pragma once

#include <QString>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "store/BookHandle.h"
#include "sync/DavClient.h"
#include "sync/ServerPassword.h"

namespace korvale::sync {

// An account asked for in a way that can never work (a URL that is no http(s) URL, a missing user name):
// the caller's usage problem, not the book's.
class AccountUsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The account a sync was asked for: the URL and user given, if any, and the password options.
struct AccountRequest {
    std::optional<std::string> url;
    std::optional<std::string> user;
    bool savePassword = false;
    bool allowPlainHttp = false;
};

// The server, user and password one sync uses: those asked for, else the account the book remembers.
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

// The account for the book. Nothing when no URL is given and the book syncs with no server: a sync
// started by a timer on a book never synced touches nothing. The password is asked of `password` only
// once the URL may receive it. Throws AccountUsageError for a URL that is no http(s) URL or a password to
// save without a user, StoreError for a server or user other than the book's.
std::optional<SyncAccountChoice> chooseSyncAccount(BookHandle& book, const AccountRequest& request,
                                                   const PasswordSource& password);

// Keeps the password in the keyring, once the server took it, when asked to. Nothing when there was
// nothing to keep; else whether it was kept, and the sentence that says so or why not.
struct PasswordSaving {
    bool saved = false;
    std::string text;
};
std::optional<PasswordSaving> savePassword(const AccountRequest& request, const SyncAccountChoice& account,
                                           const DavClient& dav);

// Removes from the keyring the password of the account asked for, else of the one the book in `dir`
// remembers. Returns what it did, in a sentence.
std::string forgetPassword(const std::filesystem::path& dir, const AccountRequest& request);
// Drops the server, user and sync state of the book in `dir`; its contacts stay. Returns what it did.
std::string forgetAccount(const std::filesystem::path& dir);

}  // namespace korvale::sync
