#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace kit {

// Debian's Radicale on a free port of 127.0.0.1, with a store and a password file of its own and the
// address book tester/book/ made; stopped with the object. Cards are put and listed by another client
// (tests/tool/dav_card.py, written with vobject).
class Radicale {
public:
    Radicale();
    ~Radicale();
    Radicale(const Radicale&) = delete;
    Radicale& operator=(const Radicale&) = delete;

    // The one user's password.
    static QString password();
    // Fails with the package to install when radicale or python3-vobject is missing.
    static QString missing();

    QString root() const;
    QString book() const;
    // dav_card.py COMMAND URL ARGS... as the user.
    QString dav(QStringList arguments, int* exitCode = nullptr) const;
    // Every card on the server, one line each.
    QStringList cards() const;

private:
    bool listening() const;
    QTemporaryDir dir_;
    QProcess radicale_;
    quint16 port_ = 0;
};

}  // namespace kit
