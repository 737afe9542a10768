#pragma once

#include <QString>

namespace korvale::tool {

struct ServerPassword {
    enum class Source { Environment, Keyring, Terminal };
    QString text;
    Source source = Source::Terminal;
};

// The password of `user` at the server `url`: KORVALE_PASSWORD when it is set, else the one kept in the
// desktop's keyring, else asked for on the terminal with echo off (saying first why the keyring could not
// be asked). Held in memory only; nothing writes it anywhere. Throws StoreError naming the cause when
// there is none of the three.
ServerPassword serverPassword(const QString& url, const QString& user);

}  // namespace korvale::tool
