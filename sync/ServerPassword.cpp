#include "sync/ServerPassword.h"

#include <cstdlib>

#include "store/StoreError.h"
#include "sync/Keyring.h"

namespace korvale::sync {

ServerPassword serverPassword(const QString& url, const QString& user, const PasswordPrompt& prompt) {
    if (const char* given = std::getenv("KORVALE_PASSWORD"))
        return {QString::fromUtf8(given), ServerPassword::Source::Environment};
    const Keyring::Result kept = Keyring(url, user).read();
    if (kept.outcome == Keyring::Outcome::Done) return {kept.password, ServerPassword::Source::Keyring};
    const std::string account = user.toStdString() + " at " + url.toStdString();
    const std::string noService = "no Secret Service answered (" + kept.why.toStdString() + ")";
    const bool unavailable = kept.outcome == Keyring::Outcome::Unavailable;
    if (std::optional<QString> asked = prompt(account, unavailable ? noService : std::string()))
        return {*asked, ServerPassword::Source::Terminal};
    if (!unavailable) {
        throw StoreError("No password in the keyring for " + account +
                         ": run korvale-db sync --save-password once on a terminal");
    }
    throw StoreError("No password for " + account + ": " + noService +
                     "; set KORVALE_PASSWORD or run korvale-db sync on a terminal");
}

}  // namespace korvale::sync
