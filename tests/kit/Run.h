#pragma once

#include <QStringList>
#include <functional>

namespace kit {

// What a program run to its end printed on each channel, and its exit code: -1 when it crashed or was
// still running after a minute.
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    QString said() const { return out + err; }
};

// How a program starts: variables ("NAME=value") added to the suite's environment, and what the child
// does before it becomes the program (a session of its own, another user...).
struct Start {
    QStringList variables;
    std::function<void()> inChild;
};

Run run(const QString& program, const QStringList& arguments, const Start& start = {});

// A file's bytes; none when it cannot be read.
QByteArray bytesOf(const QString& file);

}  // namespace kit
