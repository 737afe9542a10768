#pragma once

#include <QtGlobal>

namespace korvale::sync {

// How long the client waits and how much it reads, for every request it sends.
struct DavLimits {
    // The whole request, its redirects included, from the first byte sent to the last byte read: a server
    // that trickles its answer is cut off all the same.
    int deadlineMs = 0;
    // The longest silence before any answer arrives or between two parts of it.
    int silenceMs = 0;
    // The largest answer read; a larger one is refused before it is read whole.
    qint64 answerBytes = 0;
    // Redirects followed for one request, all to the same scheme, host and port.
    int redirects = 0;
};

// The limits in force, read once. Tests make them small through KORVALE_DAV_DEADLINE_MS and
// KORVALE_DAV_ANSWER_BYTES; these variables are for tests and not documented for users.
const DavLimits& davLimits();

}  // namespace korvale::sync
