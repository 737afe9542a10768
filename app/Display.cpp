#include "app/Display.h"

#include <QByteArray>
#include <QtGlobal>

std::string missingDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // offscreen, eglfs, linuxfb, vnc... draw without a display server of their own choosing.
    const bool needsServer =
        platform.isEmpty() || platform.startsWith("xcb") || platform.startsWith("wayland");
    if (!needsServer || x11 || wayland) return {};
    return "no display was found (DISPLAY and WAYLAND_DISPLAY are not set): run korvale in a desktop "
           "session; "
           "korvale-db works on a terminal without one";
}
