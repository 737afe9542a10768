#include "tests/tool/ToolProcess.h"

#include <QFile>
#include <QProcess>

namespace toolrun {

Run korvaleDb(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(KORVALE_DB_PATH), arguments);
    Run run;
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = tool.exitCode();
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

QByteArray bytesOf(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void write(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    if (out.open(QIODevice::WriteOnly)) out.write(bytes);
}

}  // namespace toolrun
