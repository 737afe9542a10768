#pragma once

#include <QString>

#include <optional>
#include <string>

namespace korvale::tool {

// Asks for the password of `account` on the terminal with echo off, saying first why the keyring could
// not be asked when `keyringProblem` says so. Nothing when the program has no terminal.
std::optional<QString> askPassword(const std::string& account, const std::string& keyringProblem);

}  // namespace korvale::tool
