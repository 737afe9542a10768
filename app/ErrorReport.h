#pragma once

#include <exception>

class QWidget;

// The report of a failure that a handler does not handle itself: a modal box titled with the
// application's name that says what failed. The handler goes no further; the application goes on.
void reportFailure(QWidget* owner, const std::exception& failure);
