// Opens every screen of the application on a small sample book and saves what the screen shows as a
// PNG per screen. Run it under an X server (tools/screenshots.sh starts Xvfb for it).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "app/KorvaleApplication.h"
#include "app/ScreenList.h"
#include "app/ScreenManager.h"

namespace {

void addSamples(const std::filesystem::path& dir) {
    korvale::ClientStore store;
    store.open(dir, korvale::RecordSource::wholeTable());
    const char* rows[][9] = {
        {"john smith", "12 mill lane, leeds", "john@example.org", "23-07-1987", "0113-496-0000", "", "07700-900123",
         "plays chess", "CLIENT"},
        {"asha rao", "4 park road, pune", "asha@example.org", "02-11-1990", "", "020-7946-0958", "", "", "FRIEND"},
    };
    for (const auto& r : rows) {
        korvale::ClientRecord record;
        for (std::size_t i = 0; i < korvale::kColumnCount; ++i) record.values[i] = r[i];
        store.addRow(record);
    }
}

bool save(const QString& dir, const QString& name) {
    QTest::qWait(300);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = shot.save(file);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(file));
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QTemporaryDir dir;
    const std::filesystem::path appDir = dir.path().toStdString();
    korvale::createBook(korvale::ClientStore::bookPath(appDir));
    addSamples(appDir);

    KorvaleApplication app(dir.path());
    ScreenManager& screens = app.screens();
    bool ok = save(out, QStringLiteral("ENT_FRM"));
    screens.switchScreen(ScreenId::ENT_FRM, ScreenId::frmSplash);
    ok &= save(out, QStringLiteral("frmSplash"));
    screens.switchScreen(ScreenId::frmSplash, ScreenId::MENU_FORM);
    ok &= save(out, QStringLiteral("MENU_FORM"));

    for (const ScreenEntry& entry : recordScreens()) {
        screens.switchScreen(ScreenId::MENU_FORM, entry.id);
        ok &= save(out, QString::fromLatin1(entry.name));
        screens.switchScreen(entry.id, ScreenId::MENU_FORM);
    }
    return ok ? 0 : 1;
}
