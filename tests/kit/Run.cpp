#include "tests/kit/Run.h"

#include <QFile>
#include <QProcess>

namespace kit {

Run run(const QString& program, const QStringList& arguments, const Start& start) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& set : start.variables)
        environment.insert(set.section('=', 0, 0), set.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(environment);
    if (start.inChild) process.setChildProcessModifier(start.inChild);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray bytesOf(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

}  // namespace kit
