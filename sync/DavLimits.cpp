#include "sync/DavLimits.h"

#include <QString>

#include <algorithm>

namespace korvale::sync {

namespace {

// Ten thousand cards come in one answer of a few megabytes, in seconds from a server on the same network;
// a server building its cache of them on a busy disk may say nothing for a minute or more first.
constexpr int kDeadlineMs = 600 * 1000;
constexpr int kSilenceMs = 120 * 1000;
constexpr qint64 kAnswerBytes = qint64(256) << 20;
constexpr int kRedirects = 5;

template <typename Number>
Number fromEnvironment(const char* name, Number fallback) {
    bool ok = false;
    const qlonglong given = qEnvironmentVariable(name).toLongLong(&ok);
    return ok && given > 0 ? static_cast<Number>(given) : fallback;
}

DavLimits readLimits() {
    DavLimits limits;
    limits.deadlineMs = fromEnvironment("KORVALE_DAV_DEADLINE_MS", kDeadlineMs);
    limits.silenceMs = std::min(kSilenceMs, limits.deadlineMs / 2);
    limits.answerBytes = fromEnvironment("KORVALE_DAV_ANSWER_BYTES", kAnswerBytes);
    limits.redirects = kRedirects;
    return limits;
}

}  // namespace

const DavLimits& davLimits() {
    static const DavLimits limits = readLimits();
    return limits;
}

}  // namespace korvale::sync
