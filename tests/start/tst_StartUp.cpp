// Where the book lives, the first start with no book, and the command line answered without a display.
#include <sys/stat.h>

#include <QTest>

#include "app/MessageBoxes.h"
#include "app/ScreenManager.h"
#include "app/StartUp.h"
#include "store/ClientStore.h"
#include "tests/kit/Run.h"
#include "tests/kit/TempBook.h"

namespace fs = std::filesystem;

// A start of the program in <tmp>/bin, <tmp> holding a book; xdg "/x" is <tmp>/x. exit -1: it runs on.
struct Run {
    bool installed = true, bookBeside = false;
    QString xdg = "/x", named{};
    int answer = MessageBoxes::kYes;
    QString dir;
    int boxes = 1, exit = -1, mode = 0600;  // the book's mode, -1: none
};
Q_DECLARE_METATYPE(Run)

class tst_StartUp : public QObject {
    Q_OBJECT
    static int modeOf(const fs::path& p) { return fs::exists(p) ? int(fs::status(p).permissions()) : -1; }

private slots:
    void initTestCase() {
        ::umask(0);  // the modes made must not lean on the umask
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) qunsetenv(name);
    }

    void start_data() {
        QTest::addColumn<Run>("r");
        const int no = MessageBoxes::kNo;
        QTest::newRow("run from elsewhere") << Run{.installed = false, .dir = "bin", .boxes = 0, .mode = -1};
        QTest::newRow("installed: Yes") << Run{.dir = "x/korvale"};
        QTest::newRow("installed, relative XDG_DATA_HOME: No")
            << Run{.xdg = "x", .answer = no, .dir = "home/.local/share/korvale", .exit = 0, .mode = -1};
        QTest::newRow("installed, book beside") << Run{.bookBeside = true, .dir = "bin", .boxes = 0};
        QTest::newRow("--book, relative") << Run{.named = "n", .dir = "n"};
        QTest::newRow("a file in the way")
            << Run{.named = "KORVALE.mdb/k", .dir = "KORVALE.mdb/k", .boxes = 2, .exit = 1, .mode = -1};
    }
    void start() {
        QFETCH(Run, r);
        const kit::TempBook book;
        const fs::path root = book.dir(), program = root / "bin";
        fs::create_directory(program);
        if (r.bookBeside) fs::create_symlink(book.file(), program / book.file().filename());
        qputenv("HOME", (root / "home").c_str());
        qputenv("XDG_DATA_HOME", (r.xdg[0] == '/' ? root.c_str() + r.xdg : r.xdg).toUtf8());
        fs::current_path(root);
        QList<BoxRequest> shown;
        MessageBoxes::setAnswerer([&](const BoxRequest& box) { return shown << box, r.answer; });
        const StartUp start = StartUp::run(r.named.toStdString(), program, r.installed ? program : root);
        MessageBoxes::setAnswerer({});
        const fs::path dir = root / r.dir.toStdString();  // where the book is looked for
        QCOMPARE(shown.size(), r.boxes);
        QVERIFY(shown.isEmpty() ||
                (shown[0].buttons == BoxButtons::YesNo && shown[0].text.contains(dir.c_str())));
        QCOMPARE(start.application ? -1 : start.exitCode, r.exit);
        QCOMPARE(modeOf(korvale::ClientStore::bookPath(dir)), r.mode);
        if (r.boxes == 1) QCOMPARE(modeOf(dir), r.mode > 0 ? 0700 : -1);
        if (start.application) QVERIFY(start.application->screens().screen(ScreenId::ENT_FRM)->isVisible());
    }

    void commandLine_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");  // on stdout when answered, on stderr when refused
        QTest::newRow("--help") << "--help" << 0 << "--book";
        QTest::newRow("--version") << "--version" << 0 << KORVALE_VERSION;
        QTest::newRow("unknown option: the usage") << "--bogus" << 2 << "--help";
        QTest::newRow("no display: says so") << "--book none" << 1 << "no display was found";
    }
    void commandLine() {
        QFETCH(QString, option);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        // Run where no display can be found (initTestCase took it away), which the options answered first
        // do not need.
        const kit::Run korvale = kit::run(KORVALE_PATH, option.split(' '));
        QCOMPARE(korvale.exitCode, exitCode);
        QVERIFY((exitCode ? korvale.err : korvale.out).contains(says));
    }
};

QTEST_MAIN(tst_StartUp)
#include "tst_StartUp.moc"
