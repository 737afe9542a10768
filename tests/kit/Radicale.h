#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "tests/kit/Run.h"

namespace kit {

// Debian's Radicale on a free port of 127.0.0.1, with a store and a password file of its own and the
// address book USER/book/ made; stopped with the object. Cards are put and listed by another client
// (tests/tool/cards.py, written with vobject).
class Radicale {
public:
    explicit Radicale(const QString& user = QStringLiteral("tester"));
    ~Radicale();
    static QString password() { return QStringLiteral("pw-Tq83#zx"); }
    // What a suite lacks to start one, with the package to install; empty when nothing.
    static QString missing();
    QString root() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }
    QString book() const { return root() + user_ + QStringLiteral("/book/"); }
    // cards.py COMMAND URL ARGS... as the user.
    Run dav(QStringList arguments) const;
    QStringList cards() const { return dav({"list", book()}).out.split('\n', Qt::SkipEmptyParts); }

private:
    QTemporaryDir dir_;
    QProcess radicale_;
    QString user_;
    quint16 port_ = 0;
};

}  // namespace kit
