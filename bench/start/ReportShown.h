#pragma once

#include <QWidget>

// For the start-up figures: when `window` is first painted, writes the CLOCK_MONOTONIC time in
// nanoseconds to the standard output and ends the process at once, so that nothing after the first
// frame is counted.
void reportShownAndExit(QWidget* window);
