#include <QApplication>

#include "app/KorvaleApplication.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    KorvaleApplication korvale(QCoreApplication::applicationDirPath());
    QObject::connect(&korvale, &KorvaleApplication::ended, &qt, &QCoreApplication::quit);
    return qt.exec();
}
