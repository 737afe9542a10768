// What the operator sees when the disk or another program gets in the way of a save, a change or a
// delete, and what the book holds afterwards: the failure is reported, nothing half-done is kept, the
// form keeps what was typed; and once the way is clear the same click does the work, which is on the
// disk before the box says so.

#include <sqlite3.h>
#include <sys/resource.h>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <thread>

#include <SQLiteCpp/Database.h>

#include "store/DbEngine.h"
#include "tests/faults/Disk.h"
#include "tests/kit/App.h"
#include "tests/kit/Boxes.h"
#include "tests/kit/Run.h"

namespace {

const QString bob = kit::row("bob", "b");

// What a record screen does to bob's row; its last step writes.
struct Action {
    ScreenId screen;
    QString script, answers;
    QString done;   // the box that reports the write
    QString cause;  // the error report when the write fails
    QStringList after;
};

Action action(const QString& name) {
    const auto act = [](ScreenId screen, const char* script, const char* answers, const char* done,
                        const char* cause, const QStringList& after) {
        return Action{screen, script, answers, done, cause, after};
    };
    if (name == "add")
        return act(ScreenId::ADD_FORM, "Text1=ann; Combo1=X; click SUBMIT", "YN", "Record Is Saved",
                   "Cannot store the new record", {bob, "ann|||dd-mm-yyyy|||||X"});
    if (name == "change")
        return act(ScreenId::UPDATE_FORM, "Text10=bob; click OK; Text2=new; click UPDATE", "Y",
                   "Record has been updated", "Cannot store the changed record",
                   {QString(bob).replace("b st", "new")});
    return act(ScreenId::DELETE_FORM, "Text10=bob; click REMOVE", "Y", "Record has been deleted",
               "Cannot delete the current record", {});
}

// Runs the current row again in a fresh process of this program; fails with its output unless it passed.
void inFreshProcess() {
    const QString row = QStringLiteral("%1(%2)").arg(QTest::currentTestFunction(), QTest::currentDataTag());
    // It starts as from a shell, not with the signals this process ignores.
    const kit::Run child =
        kit::run(QCoreApplication::applicationFilePath(), {QString(row).replace('(', ':').chopped(1)},
                 {{"KORVALE_FAULTS_FRESH=1"}, [] { std::signal(SIGXFSZ, SIG_DFL); }});
    QVERIFY2(child.exitCode == 0 && child.out.contains("PASS   : tst_Faults::" + row),
             qPrintable(QStringLiteral("exit code %1:\n").arg(child.exitCode) + child.said().right(2000)));
}

}  // namespace

class tst_Faults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Disk::install(); }

    void writeInTheWay_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        const auto row = [](const QString& what, const char* fault, const char* reason, const char* name) {
            QTest::addRow("%s, %s", qPrintable(what), name) << what << QString(fault) << QString(reason);
        };
        for (const char* what : {"add", "change", "delete"}) {
            row(what, "", "", "nothing in the way");
            row(what, "full", "database or disk is full", "disk full");
            row(what, "io", "disk I/O error", "I/O error");
            row(what, "locked", "is busy: another program", "book locked by another program");
        }
        row("add", "limit", "File too large", "a remark past the file-size limit");
        row("add", "briefly locked", "", "a lock released while waiting");
    }

    void writeInTheWay() {
        QFETCH(QString, what);
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        Action a = action(what);
        // A write past the limit is refused only if opening the book set the process up for it: the row
        // runs in a process that did nothing else to a book, made by the tool.
        const bool fresh = fault == "limit";
        if (fresh && !qEnvironmentVariableIsSet("KORVALE_FAULTS_FRESH")) return inFreshProcess();
        kit::TempBook book(fresh ? kit::TempBook::Start::Empty : kit::TempBook::Start::WithBook);
        QVERIFY(!fresh || QProcess::execute(KORVALE_DB_PATH, {"init", book.path()}) == 0);
        struct sigaction now {};
        QVERIFY(!fresh || (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL));
        book.add({bob});
        korvale::DbEngine::instance().setBusyTimeout(
            std::chrono::milliseconds(fault == "locked" ? 100 : 3000));
        kit::App app(book);
        QWidget* screen = app.open(a.screen);
        QVERIFY(screen);
        if (fault == "limit") {
            const QString remark(200000, 'x');
            a.script.replace("Text1=ann", "Text1=ann; Text8=" + remark);
            a.after.last().replace("|||||X", "||||" + remark + "|X");
        }
        const qsizetype last = a.script.lastIndexOf("; ") + 2;
        QVERIFY(kit::play(screen, a.script.left(last)));
        const QString typed = kit::shownRow(screen) + kit::textOf(screen, "Text10");
        int syncs = 0;
        // While each box is up: whether the disk has been flushed since the click, and the rows.
        const auto witness = [&] {
            return QStringLiteral("%1 %2").arg(Disk::syncs() > syncs ? "synced" : "unsynced",
                                               book.rows().join(';'));
        };

        if (!reason.isEmpty()) {
            kit::Boxes boxes(kit::Boxes::Kind::Answered, a.answers);
            SQLite::Database other(book.file(), SQLite::OPEN_READWRITE);
            rlimit saved{};
            ::getrlimit(RLIMIT_FSIZE, &saved);
            const rlimit limit{100 * 1024, saved.rlim_max};
            if (fault == "limit") ::setrlimit(RLIMIT_FSIZE, &limit);
            if (fault == "locked") other.exec("BEGIN IMMEDIATE");
            Disk::failWrites(fault == "full" ? SQLITE_FULL : fault == "io" ? SQLITE_IOERR_WRITE : 0);
            QVERIFY(kit::play(screen, a.script.mid(last)));
            Disk::failWrites(0);
            ::setrlimit(RLIMIT_FSIZE, &saved);
            const QString report = boxes.seen.last();
            QVERIFY2(report.startsWith("KORVALE|") && report.contains(QString::fromStdString(book.file())) &&
                         report.contains(reason) && (fault == "locked" || report.contains(a.cause)),
                     qPrintable(report.left(300)));
            QCOMPARE(boxes.seen.filter(a.done), QStringList());
            QCOMPARE(kit::shownRow(screen) + kit::textOf(screen, "Text10"), typed);
            QCOMPARE(book.rows(), QStringList{bob});
        }

        SQLite::Database other(book.file(), SQLite::OPEN_READWRITE);
        // The first frames of a fresh journal are flushed whatever the engine is told; a write of another
        // program's first leaves the flush of the screen's own commit to be counted.
        other.exec("PRAGMA user_version = 7");
        syncs = Disk::syncs();
        std::thread release;
        if (fault == "briefly locked") {
            other.exec("BEGIN IMMEDIATE");
            release = std::thread([&other] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                other.exec("ROLLBACK");
            });
        }
        kit::Boxes boxes(kit::Boxes::Kind::Answered, a.answers, witness);
        QVERIFY(kit::play(screen, a.script.mid(last)));
        if (release.joinable()) release.join();
        QCOMPARE(boxes.seen.filter(a.done).size(), 1);
        QVERIFY2(boxes.seen.filter(a.done).first().endsWith(" @synced " + a.after.join(';')),
                 qPrintable(boxes.seen.filter(a.done).first().left(300)));
    }
};

QTEST_MAIN(tst_Faults)
#include "tst_Faults.moc"
