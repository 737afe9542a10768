#pragma once

#include <string>

// Why the window system cannot be reached, or empty when it looks reachable. Asked before Qt starts: Qt
// aborts the program when the platform it picks finds no display.
std::string missingDisplay();
