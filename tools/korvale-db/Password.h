#pragma once

#include <QString>

namespace korvale::tool {

// The server password: KORVALE_PASSWORD when it is set, else asked for on the terminal with echo off.
// Held in memory only; nothing writes it anywhere. Throws StoreError when there is neither.
QString serverPassword(const QString& user);

}  // namespace korvale::tool
