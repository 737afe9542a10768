#include "tools/korvale-db/SyncAccountChoice.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "store/ClientStore.h"
#include "store/StoreError.h"
#include "store/SyncAccount.h"
#include "sync/DavPolicy.h"
#include "sync/Keyring.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

namespace {

std::string described(const std::string& url, const QString& user) {
    return user.isEmpty() ? url : user.toStdString() + " at " + url;
}

// The URL on the command line, checked, with the form the book keeps it in.
std::pair<QUrl, std::string> givenUrl(const std::string& operand) {
    const QUrl named(QString::fromStdString(operand), QUrl::StrictMode);
    if (!named.userInfo().isEmpty()) {
        throw UsageError(
            "the URL holds a user name or password: give the user name with --user NAME; a "
            "password in a URL is never used (it is asked for, or read from KORVALE_PASSWORD)");
    }
    const QUrl given = named.adjusted(QUrl::RemoveUserInfo);
    if (!given.isValid() ||
        (given.scheme() != QLatin1String("https") && given.scheme() != QLatin1String("http"))) {
        throw UsageError("sync takes the http or https URL of a server or an address book");
    }
    // The same server or address book, with or without a closing slash.
    return {given, given.adjusted(QUrl::StripTrailingSlash).toString(QUrl::FullyEncoded).toStdString()};
}

}  // namespace

std::optional<SyncAccountChoice> chooseSyncAccount(const CommandLine& line, BookConnection& book) {
    const std::optional<SyncAccount> kept = syncAccount(book.db());
    SyncAccountChoice choice;
    if (!line.operands.empty()) {
        std::tie(choice.given, choice.url) = givenUrl(line.operands.front());
        if (kept && kept->url != choice.url) {
            throw StoreError("The book " + book.path().string() + " is kept in step with " + kept->url +
                             ", not " + choice.url);
        }
    } else if (kept) {
        choice.url = kept->url;
        choice.given = QUrl(QString::fromStdString(kept->url));
    } else {
        std::cout << "The book " << book.path().string()
                  << " syncs with no server; nothing to do. korvale-db sync URL --user NAME syncs it and "
                     "remembers the account.\n";
        return std::nullopt;
    }
    const std::optional<std::string> named = line.value("--user");
    if (named && kept && kept->user && *kept->user != *named) {
        throw StoreError("The book " + book.path().string() + " syncs with " + kept->url + " as " +
                         *kept->user + ", not as " + *named +
                         "; korvale-db sync --forget-account lets it use another account");
    }
    choice.user = QString::fromStdString(named ? *named : kept && kept->user ? *kept->user : std::string());
    choice.recordUser = !choice.user.isEmpty() && !(kept && kept->user);
    if (line.has("--save-password") && choice.user.isEmpty())
        throw UsageError("--save-password needs the user name: --user NAME");
    // Before any password is asked for: none goes over plain http to another machine unless allowed.
    sync::requirePrivateCredentials(choice.given, !choice.user.isEmpty(), line.has("--allow-plain-http"));
    if (!choice.user.isEmpty())
        choice.password = serverPassword(QString::fromStdString(choice.url), choice.user);
    return choice;
}

bool savePassword(const CommandLine& line, const SyncAccountChoice& account, const sync::DavClient& dav) {
    if (!line.has("--save-password") || !account.password || !dav.accepted() ||
        account.password->source == ServerPassword::Source::Keyring) {
        return true;
    }
    const sync::Keyring::Result saved =
        sync::Keyring(QString::fromStdString(account.url), account.user).write(account.password->text);
    if (saved.outcome != sync::Keyring::Outcome::Done) {
        std::cerr << "korvale-db: the password was not saved: no Secret Service answered ("
                  << saved.why.toStdString() << "); it is asked for again next time\n";
        return false;
    }
    std::cout << "The password of " << described(account.url, account.user)
              << " is kept in the keyring; later syncs take it from there.\n";
    return true;
}

int forgetAccount(const CommandLine& line) {
    std::optional<SyncAccount> account;
    std::shared_ptr<BookConnection> book;
    if (std::filesystem::exists(ClientStore::bookPath(line.book.dir))) {
        book = openBook(line.book.dir);
        account = syncAccount(book->db());
    }
    if (line.has("--forget-password")) {
        std::string url = account ? account->url : std::string();
        if (!line.operands.empty()) url = givenUrl(line.operands.front()).second;
        const std::optional<std::string> user = line.has("--user") ? line.value("--user")
                                                : account          ? account->user
                                                                   : std::nullopt;
        if (url.empty() || !user) {
            throw UsageError(
                "--forget-password needs the server and the user: a book that syncs, or URL --user NAME");
        }
        const QString name = QString::fromStdString(*user);
        const sync::Keyring::Result removed = sync::Keyring(QString::fromStdString(url), name).remove();
        if (removed.outcome == sync::Keyring::Outcome::Unavailable) {
            throw StoreError("Cannot remove the password of " + described(url, name) +
                             ": no Secret Service answered (" + removed.why.toStdString() + ")");
        }
        std::cout << (removed.outcome == sync::Keyring::Outcome::Done ? "Removed the password of "
                                                                      : "The keyring holds no password of ")
                  << described(url, name)
                  << (removed.outcome == sync::Keyring::Outcome::Done ? " from the keyring.\n" : ".\n");
    }
    if (!line.has("--forget-account")) return EXIT_SUCCESS;
    if (!book) throw StoreError("There is no book in " + line.book.dir.string());
    SQLite::Transaction transaction = beginWriting(*book, "Cannot forget the account");
    account = syncAccount(book->db());
    if (!account) {
        std::cout << "The book " << book->path().string() << " syncs with no server; nothing was changed.\n";
        return EXIT_SUCCESS;
    }
    forgetSyncAccount(book->db());
    transaction.commit();
    std::cout << "The book " << book->path().string() << " no longer syncs with "
              << described(account->url, QString::fromStdString(account->user.value_or(std::string())))
              << "; its contacts stay, and its next sync names a server.\n";
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
