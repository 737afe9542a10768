#pragma once

#include <QString>

namespace korvale::sync {

// The server password kept in the desktop's Secret Service (GNOME Keyring, KWallet...) through
// QtKeychain, one entry per server URL and user. Nothing is ever written to a file of our own: where no
// Secret Service answers, every call says so and the caller asks for the password instead. Each call
// waits for the service's answer in a local event loop, so a QCoreApplication must exist.
class Keyring {
public:
    enum class Outcome {
        Done,
        // No entry for this server and user.
        NotFound,
        // No Secret Service answered (no session bus, no keyring daemon, a locked or refused keyring).
        Unavailable,
    };
    struct Result {
        Outcome outcome = Outcome::Unavailable;
        // The password read; empty otherwise.
        QString password;
        // Why the service could not be used, in its own words.
        QString why;
    };

    Keyring(QString url, QString user);

    Result read() const;
    Result write(const QString& password) const;
    Result remove() const;

private:
    QString key_;
};

}  // namespace korvale::sync
