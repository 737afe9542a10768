#include "sync/SyncAccountChoice.h"

#include "store/ClientStore.h"
#include "store/StoreError.h"
#include "sync/DavPolicy.h"
#include "sync/Keyring.h"

namespace korvale::sync {

namespace {

std::string described(const std::string& url, const QString& user) {
    return user.isEmpty() ? url : user.toStdString() + " at " + url;
}

// The URL asked for, checked, with the form the book keeps it in.
std::pair<QUrl, std::string> givenUrl(const std::string& text) {
    const QUrl named(QString::fromStdString(text), QUrl::StrictMode);
    if (!named.userInfo().isEmpty()) {
        throw AccountUsageError(
            "the URL holds a user name or password: give the user name with --user NAME; a "
            "password in a URL is never used (it is asked for, or read from KORVALE_PASSWORD)");
    }
    const QUrl given = named.adjusted(QUrl::RemoveUserInfo);
    if (!given.isValid() ||
        (given.scheme() != QLatin1String("https") && given.scheme() != QLatin1String("http"))) {
        throw AccountUsageError("sync takes the http or https URL of a server or an address book");
    }
    // The same server or address book, with or without a closing slash.
    return {given, given.adjusted(QUrl::StripTrailingSlash).toString(QUrl::FullyEncoded).toStdString()};
}

}  // namespace

std::optional<SyncAccountChoice> chooseSyncAccount(BookHandle& book, const AccountRequest& request,
                                                   const PasswordSource& password) {
    const std::optional<SyncAccount> kept = book.syncAccount();
    const std::string path = book.path().string();
    SyncAccountChoice choice;
    if (request.url) {
        std::tie(choice.given, choice.url) = givenUrl(*request.url);
        if (kept && kept->url != choice.url) {
            throw StoreError("The book " + path + " is kept in step with " + kept->url + ", not " +
                             choice.url);
        }
    } else if (kept) {
        choice.url = kept->url;
        choice.given = QUrl(QString::fromStdString(kept->url));
    } else {
        return std::nullopt;
    }
    const std::optional<std::string>& named = request.user;
    if (named && kept && kept->user && *kept->user != *named) {
        throw StoreError("The book " + path + " syncs with " + kept->url + " as " + *kept->user +
                         ", not as " + *named +
                         "; korvale-db sync --forget-account lets it use another account");
    }
    choice.user = QString::fromStdString(named ? *named : kept && kept->user ? *kept->user : std::string());
    choice.recordUser = !choice.user.isEmpty() && !(kept && kept->user);
    if (request.savePassword && choice.user.isEmpty())
        throw AccountUsageError("--save-password needs the user name: --user NAME");
    // Before any password is asked for: none goes over plain http to another machine unless allowed.
    requirePrivateCredentials(choice.given, !choice.user.isEmpty(), request.allowPlainHttp);
    if (!choice.user.isEmpty()) choice.password = password(QString::fromStdString(choice.url), choice.user);
    return choice;
}

std::optional<PasswordSaving> savePassword(const AccountRequest& request, const SyncAccountChoice& account,
                                           const DavClient& dav) {
    if (!request.savePassword || !account.password || !dav.accepted() ||
        account.password->source == ServerPassword::Source::Keyring) {
        return std::nullopt;
    }
    const Keyring::Result saved =
        Keyring(QString::fromStdString(account.url), account.user).write(account.password->text);
    if (saved.outcome != Keyring::Outcome::Done) {
        return PasswordSaving{false, "the password was not saved: no Secret Service answered (" +
                                         saved.why.toStdString() + "); it is asked for again next time\n"};
    }
    return PasswordSaving{true, "The password of " + described(account.url, account.user) +
                                    " is kept in the keyring; later syncs take it from there.\n"};
}

std::string forgetPassword(const std::filesystem::path& dir, const AccountRequest& request) {
    std::optional<SyncAccount> account;
    if (std::filesystem::exists(ClientStore::bookPath(dir))) {
        account = BookHandle::open(dir, BookHandle::Access::ReadWrite).syncAccount();
    }
    std::string url = account ? account->url : std::string();
    if (request.url) url = givenUrl(*request.url).second;
    const std::optional<std::string> user = request.user ? request.user
                                            : account    ? account->user
                                                         : std::nullopt;
    if (url.empty() || !user) {
        throw AccountUsageError(
            "--forget-password needs the server and the user: a book that syncs, or URL --user NAME");
    }
    const QString name = QString::fromStdString(*user);
    const Keyring::Result removed = Keyring(QString::fromStdString(url), name).remove();
    if (removed.outcome == Keyring::Outcome::Unavailable) {
        throw StoreError("Cannot remove the password of " + described(url, name) +
                         ": no Secret Service answered (" + removed.why.toStdString() + ")");
    }
    if (removed.outcome == Keyring::Outcome::Done) {
        return "Removed the password of " + described(url, name) + " from the keyring.\n";
    }
    return "The keyring holds no password of " + described(url, name) + ".\n";
}

std::string forgetAccount(const std::filesystem::path& dir) {
    if (!std::filesystem::exists(ClientStore::bookPath(dir))) {
        throw StoreError("There is no book in " + dir.string());
    }
    BookHandle book = BookHandle::open(dir, BookHandle::Access::ReadWrite);
    const std::string path = book.path().string();
    const std::optional<SyncAccount> account = book.forgetSyncAccount();
    if (!account) return "The book " + path + " syncs with no server; nothing was changed.\n";
    return "The book " + path + " no longer syncs with " +
           described(account->url, QString::fromStdString(account->user.value_or(std::string()))) +
           "; its contacts stay, and its next sync names a server.\n";
}

}  // namespace korvale::sync
