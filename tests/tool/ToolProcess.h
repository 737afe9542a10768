#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// korvale-db run as a separate process, as an operator runs it.
namespace toolrun {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run korvaleDb(const QStringList& arguments);
QByteArray bytesOf(const QString& file);
void write(const QString& file, const QByteArray& bytes);

}  // namespace toolrun
