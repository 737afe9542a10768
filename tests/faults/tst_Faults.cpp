// What the operator sees when the disk or another program gets in the way of a save, a change or a
// delete, and what the book holds afterwards: a failure is reported, nothing half-done is kept, the
// form keeps what was typed, and a save is on the disk before it is reported.

#include <QTest>
#include <sqlite3.h>
#include <sys/resource.h>
#include <thread>

#include <SQLiteCpp/Database.h>

#include "store/DbEngine.h"
#include "tests/faults/Disk.h"
#include "tests/kit/App.h"
#include "tests/kit/Boxes.h"

Q_DECLARE_METATYPE(ScreenId)

namespace {

const QString bob = kit::row("bob", "b");

// What each record screen does to bob's row, the last step the one that writes.
struct Action {
    ScreenId screen;
    QString script;
    QString done;   // the box that reports the write
    QString cause;  // the start of the error report when the write fails
    QString answers;
    QStringList after;
};

Action action(const QString& name) {
    if (name == "add")
        return {ScreenId::ADD_FORM, "Text1=ann; Combo1=X; click SUBMIT", "Record Is Saved", "Cannot store the new record", "YN",
                {bob, "ann|||dd-mm-yyyy|||||X"}};
    if (name == "change")
        return {ScreenId::UPDATE_FORM, "Text10=bob; click OK; Text2=new; click UPDATE", "Record has been updated",
                "Cannot store the changed record", "Y", {kit::row("bob", "b").replace("b st", "new")}};
    return {ScreenId::DELETE_FORM, "click REMOVE", "Record has been deleted", "Cannot delete the current record", "Y", {}};
}

// Where the last step of a script starts: the one that writes.
qsizetype lastStep(const QString& script) {
    const qsizetype at = script.lastIndexOf("; ");
    return at < 0 ? 0 : at + 2;
}

// The nine fields and the look-up field, as the operator sees them.
QString form(QWidget* screen) {
    QStringList texts;
    for (const char* field : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text10"})
        texts << kit::textOf(screen, field);
    return texts.join('|');
}

}  // namespace

class tst_Faults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Disk::install(); }
    void writeRefused_data();
    void writeRefused();
    void reportedOnlyOnceOnDisk_data();
    void reportedOnlyOnceOnDisk();
};

void tst_Faults::writeRefused_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    for (const char* what : {"add", "change", "delete"}) {
        QTest::addRow("%s, disk full", what) << what << "full" << "database or disk is full";
        QTest::addRow("%s, I/O error", what) << what << "io" << "disk I/O error";
        QTest::addRow("%s, book locked by another program", what) << what << "locked" << "is busy: another program is writing";
    }
    QTest::newRow("add, a remark past the file-size limit") << "add" << "limit" << "File too large";
    QTest::newRow("add, a lock released while waiting") << "add" << "briefly locked" << "";
}

// The write fails: the report names the book and the cause, the form keeps what was typed, the book is
// as it was. Once the fault has gone, the same click does the work.
void tst_Faults::writeRefused() {
    QFETCH(QString, what);
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    const Action a = action(what);
    kit::TempBook book;
    book.add({bob});
    korvale::DbEngine::instance().setBusyTimeout(std::chrono::milliseconds(fault == "locked" ? 100 : 3000));
    kit::App app(book);
    QWidget* screen = app.open(a.screen);
    QVERIFY(screen);
    QString script = a.script;
    QStringList after = a.after;
    if (fault == "limit") {
        const QString remark(200000, 'x');
        script.replace("Text1=ann", "Text1=ann; Text8=" + remark);
        after.last().replace("|||||X", "||||" + remark + "|X");
    }
    const qsizetype last = lastStep(script);
    auto boxes = std::make_unique<kit::Boxes>(kit::Boxes::Kind::Answered, a.answers);
    QVERIFY(kit::play(screen, script.left(last)));
    const QString typed = form(screen);

    SQLite::Database other(book.file(), SQLite::OPEN_READWRITE);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    if (fault == "full") Disk::failWrites(SQLITE_FULL);
    if (fault == "io") Disk::failWrites(SQLITE_IOERR_WRITE);
    if (fault.endsWith("locked")) other.exec("BEGIN IMMEDIATE");
    std::thread release;
    if (fault == "briefly locked") release = std::thread([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.exec("ROLLBACK");
    });
    if (fault == "limit") {
        rlimit limit = saved;
        limit.rlim_cur = 100 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    QVERIFY(kit::play(screen, script.mid(last)));
    Disk::failWrites(0);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    if (release.joinable()) release.join();
    if (reason.isEmpty()) {
        QCOMPARE(boxes->seen.filter(a.done).size(), 1);
        QCOMPARE(book.rows(), after);
        return;
    }
    if (fault == "locked") other.exec("ROLLBACK");

    const QString report = boxes->seen.last();
    QVERIFY2(report.startsWith("KORVALE|") && report.contains(QString::fromStdString(book.file())) &&
                 report.contains(reason) && (fault == "locked" || report.contains(a.cause)),
             qPrintable(report.left(300)));
    QCOMPARE(boxes->seen.filter(a.done), QStringList());
    QCOMPARE(form(screen), typed);
    QCOMPARE(book.rows(), QStringList{bob});
    boxes.reset();
    boxes = std::make_unique<kit::Boxes>(kit::Boxes::Kind::Answered, a.answers);
    QVERIFY(kit::play(screen, script.mid(last)));
    QCOMPARE(boxes->seen.filter(a.done).size(), 1);
    QVERIFY(book.rows() == after);
}

void tst_Faults::reportedOnlyOnceOnDisk_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("add") << "add";
    QTest::newRow("change") << "change";
    QTest::newRow("delete") << "delete";
}

// When the box says the work is done, the change is in the book and has been flushed to the disk.
void tst_Faults::reportedOnlyOnceOnDisk() {
    QFETCH(QString, what);
    const Action a = action(what);
    kit::TempBook book;
    book.add({bob});
    kit::App app(book);
    QWidget* screen = app.open(a.screen);
    QVERIFY(screen);
    int syncsBefore = 0;
    kit::Boxes boxes(kit::Boxes::Kind::Answered, a.answers, [&] {
        return QStringLiteral("%1, rows %2").arg(Disk::syncs() > syncsBefore ? "synced" : "not synced").arg(book.rows().join(';'));
    });
    const qsizetype last = lastStep(a.script);
    QVERIFY(kit::play(screen, a.script.left(last)));
    syncsBefore = Disk::syncs();
    QVERIFY(kit::play(screen, a.script.mid(last)));
    const QStringList done = boxes.seen.filter(a.done);
    QCOMPARE(done.size(), 1);
    QCOMPARE(done.first().section(" @", 1), "synced, rows " + a.after.join(';'));
}

QTEST_MAIN(tst_Faults)
#include "tst_Faults.moc"
