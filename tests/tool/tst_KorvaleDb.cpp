// korvale-db run as the operator runs it: a separate process, its exit status, what it says, and the
// book it leaves. What it exports is read back by parsers that owe nothing to it (cards.py), and
// books are changed the way the screens change them: through the store's own look-up, change and
// delete, the calls the record screens make.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>
#include <optional>

#include <SQLiteCpp/Database.h>

#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "tests/kit/Run.h"
#include "tests/kit/TempBook.h"

namespace {

using kit::bytesOf;
using kit::Run;

Run korvaleDb(const QStringList& arguments, bool asOrdinaryUser = false) {
    kit::Start start;
    // Root reads and writes through any mode bits: the tool then runs as nobody.
    if (asOrdinaryUser && ::geteuid() == 0)
        start.inChild = [] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
        };
    return kit::run(KORVALE_DB_PATH, arguments, start);
}

void write(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    if (out.open(QIODevice::WriteOnly)) out.write(bytes);
}

// Quotes, separators, backslashes, every kind of line break, tabs, characters of two to four bytes,
// a name far longer than a line, a note over 10 kB, empty and null columns, a dob that is no date.
QStringList hostileRows() {
    const QString name = QStringLiteral("zoë 李小龙 😀 ").repeated(8);
    const QString note = QStringLiteral("é漢😀 ;,\\\n\t\"").repeated(1000);
    return {QStringLiteral("o'brien \"q\"|1, high st; flat 2|a\\b,c;d@x.org|23-07-1987|+44 (0)1;2|2,3|\t4\t|"
                           "one\ntwo\r\nthree\rend\\n|CLIENT,FRIEND"),
            name + QStringLiteral("|\\\\server\\share|~|1-2-88|~||  |") + note + QStringLiteral("|RELATIVE"),
            QStringLiteral("~|~|~|not a date; sorry, no|~|~|~|~|~"), QStringLiteral("||||||||")};
}

QStringList withoutNulls(QStringList rows) {
    return rows.replaceInStrings(QRegularExpression(QStringLiteral("(^|\\|)~(?=\\||$)")),
                                 QStringLiteral("\\1"));
}

// What the independent parser finds in an exported file: the header line of a CSV file, then one
// '|'-joined line per contact.
QStringList readBack(const QString& format, const QString& file) {
    const Run python =
        kit::run(QStringLiteral(KORVALE_PYTHON), {QStringLiteral(READ_BACK_SCRIPT), format, file});
    if (python.exitCode != 0) return {python.err};
    return QVariant(QJsonDocument::fromJson(python.out.toUtf8()).array().toVariantList()).toStringList();
}

// A small card of a name, four lines long, to put around a broken one.
QByteArray card(const QByteArray& name) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nEND:VCARD\r\n";
}

// A file's permission bits, or -1 when there is no such file.
int modeOf(const QString& file) {
    struct stat info {};
    return ::stat(file.toLocal8Bit().constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// The last number that follows `before` in the tool's output.
QString numberAfter(const QString& text, const QString& before) {
    const qsizetype at = text.lastIndexOf(QRegularExpression(before + QStringLiteral(" [0-9]")));
    return at < 0 ? QString() : text.mid(at + before.size() + 1).section(QRegularExpression("[^0-9]"), 0, 0);
}

}  // namespace

class tst_KorvaleDb : public QObject {
    Q_OBJECT
private slots:

    void initCommand_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("a new book") << "" << QStringList{"init", "DIR"} << 0
                                    << "Created the book DIR/KORVALE.mdb: table CLIENT_RECORDS (Name, ";
        QTest::newRow("never over a book") << "book" << QStringList{"init", "DIR"} << 1 << "already exists";
        QTest::newRow("no such directory") << "" << QStringList{"init", "DIR/none"} << 1 << "does not exist";
        QTest::newRow("not a directory")
            << "book" << QStringList{"init", "DIR/KORVALE.mdb"} << 1 << "is not a directory";
        QTest::newRow("two directories")
            << "" << QStringList{"init", "DIR", "DIR"} << 2 << "init takes at most one directory";
        QTest::newRow("an unknown command")
            << "" << QStringList{"create", "DIR"} << 2 << "unknown command create";
        QTest::newRow("help") << "" << QStringList{"--help"} << 0 << "Usage: korvale-db";
        QTest::newRow("a version that is no number")
            << "book" << QStringList{"restore", "DIR", "3x"} << 2 << "restore takes a version number";
        QTest::newRow("version zero") << "book" << QStringList{"restore", "DIR", "0"} << 2 << "not 0";
        QTest::newRow("an option of another command")
            << "book" << QStringList{"export", "DIR", "--dry-run"} << 2 << "export has no option --dry-run";
        QTest::newRow("a flag given a value") << "book" << QStringList{"import", "DIR", "f", "--dry-run=yes"}
                                              << 2 << "--dry-run takes no value";
        QTest::newRow("an option without its value")
            << "book" << QStringList{"export", "DIR", "--format"} << 2 << "--format needs a value";
        QTest::newRow("a file named like an option, after --")
            << "book" << QStringList{"import", "DIR", "--", "-x"} << 1 << "Cannot read -x";
    }

    void initCommand() {
        QFETCH(QString, place);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        kit::TempBook book(place == "book" ? kit::TempBook::Start::WithBook : kit::TempBook::Start::Empty);
        if (place == "book") book.add({kit::row("kept", "k")});
        const QString dir = book.path();
        arguments.replaceInStrings("DIR", dir);
        const Run run = korvaleDb(arguments);
        QCOMPARE(run.exitCode, status);
        QVERIFY2((run.out + run.err).contains(QString(says).replace("DIR", dir)),
                 qPrintable(run.out + run.err));
        if (place == "book") QCOMPARE(book.rows(), QStringList{kit::row("kept", "k")});
        if (status != 0 || arguments[0] != "init") return;
        QCOMPARE(modeOf(dir + "/KORVALE.mdb"), 0600);
    }

    void roundTripGivesTheBookBack_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("vCard 4.0") << "vcard";
        QTest::newRow("vCard 3.0") << "vcard3";
        QTest::newRow("CSV") << "csv";
    }

    void roundTripGivesTheBookBack() {
        QFETCH(QString, format);
        const kit::TempBook source(hostileRows());
        const QString file = source.path() + "/out";

        const Run exported = korvaleDb({"export", source.path(), "--format", format, "-o", file});
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.err));
        QCOMPARE(modeOf(file), 0600);

        // vCard has no escape of its own for a carriage return: other readers see a line break.
        QStringList seenByOthers = withoutNulls(hostileRows());
        if (format != QLatin1String("csv")) {
            seenByOthers.replaceInStrings(QStringLiteral("\r\n"), QStringLiteral("\n"));
            seenByOthers.replaceInStrings(QStringLiteral("\r"), QStringLiteral("\n"));
        }
        if (format == "csv")
            seenByOthers.prepend("Name|address|email_id|dob|H_PHONE|W_PHONE|cell_no|remarks|CATEGORY");
        QCOMPARE(readBack(format, file), seenByOthers);
        if (format != QLatin1String("csv")) {
            // Every card has a UID of its own, the same in the next export.
            const QStringList uids = readBack("uids", file);
            QVERIFY2(uids.size() == 4 && QStringList(uids).removeDuplicates() == 0 && !uids.contains(""),
                     qPrintable(uids.join(' ')));
            QCOMPARE(korvaleDb({"export", source.path(), "--format", format, "-o", file + "2"}).exitCode, 0);
            QCOMPARE(readBack("uids", file + "2"), uids);
        }

        const kit::TempBook target;
        const Run imported = korvaleDb({"import", target.path(), file});
        QVERIFY2(imported.exitCode == 0, qPrintable(imported.err));
        QCOMPARE(target.rows(), withoutNulls(hostileRows()));
    }

    // Cards and CSV as people have them, each read as one row of the book, with what it could not keep
    // reported.
    void importTakesAWholeFileOrNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("said");

        QTest::newRow("2.1, quoted-printable Latin-1 with a soft line break, bare types")
            << QByteArray(
                   "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                   "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
                   "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:J=FCrgen M=FCller\r\n"
                   "TEL;HOME;VOICE:+49 30 1234\r\nTEL;CELL:+49 171 5555\r\nTEL;WORK;FAX:+49 30 9999\r\n"
                   "ADR;HOME;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=DFe "
                   "5;Berlin;;10115\r\n"
                   "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0Azweite, sehr lang "
                   "=\r\nund =FCber zwei Zeilen\r\nEMAIL;INTERNET:jm@example.de\r\nBDAY:1975-03-09\r\n"
                   "END:VCARD\r\n")
            << QStringLiteral(
                   "Jürgen Müller|Hauptstraße 5, Berlin, 10115|jm@example.de|09-03-1975|+49 30 1234||+49 "
                   "171 5555|Erste Zeile\r\nzweite, sehr lang und über zwei Zeilen\n"
                   "TEL (work,fax): +49 30 9999|")
            << QStringLiteral("TEL (1)");
        QTest::newRow("3.0, folded, escaped commas, TYPE=HOME,VOICE, a second e-mail, ORG and PHOTO")
            << QByteArray(
                   "BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Example//Phone Export 2.0//EN\n"
                   "N:O'Neill;Siobh\xc3\xa1n;;Dr.;\nFN:Dr. Siobh\xc3\xa1n O'Neill\n"
                   "ORG:Acme\\, Ltd;Research\nTEL;TYPE=HOME,VOICE:+353 1 555 0100\n"
                   "TEL;TYPE=work,voice:+353 1 555 0199\nEMAIL;TYPE=INTERNET,PREF:siobhan@example.ie\n"
                   "EMAIL;TYPE=INTERNET:so@example.com\n"
                   "ADR;TYPE=WORK:;;12 Harbour Road\\, Unit 4;Galway;;H91;Ireland\n"
                   "NOTE:Met in Cork\\, 2019. Calls before noon\\; never o\n n Sundays.\n"
                   "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP//////////////\n"
                   " ////////////////////////////8=\nCATEGORIES:FRIEND\nEND:VCARD\n")
            << QStringLiteral(
                   "Dr. Siobhán O'Neill|12 Harbour Road, Unit 4, Galway, H91, "
                   "Ireland|siobhan@example.ie||+353 1 555 0100|+353 1 555 0199||Met in Cork, 2019. Calls "
                   "before noon; never on Sundays.\nORG: Acme, Ltd;Research\n"
                   "EMAIL (internet): so@example.com|FRIEND")
            << QStringLiteral("PHOTO of \"Dr. Siobhán O'Neill\"");
        QTest::newRow(
            "CSV from a spreadsheet: byte-order mark, LF, own column order, a column the book lacks, a "
            "blank line")
            << QByteArray(
                   "\xef\xbb\xbfname,email_id,remarks,Company\nann,ann@example.com,\"said \"\"hi\"\", then\n"
                   "left\",Acme\n\n")
            << QStringLiteral("ann||ann@example.com|||||said \"hi\", then\nleft\nCompany: Acme|")
            << QStringLiteral("Company (1)");
        // A file the import refuses adds nothing, and names the line it stopped on.
        const auto refused = [](const char* name, const QByteArray& text, const char* line) {
            QTest::newRow(name) << text << QString() << QString(line);
        };
        const QByteArray before = card("ann");
        refused("a card without END:VCARD", before + "BEGIN:VCARD\r\nFN:b\r\n" + card("cy"), "line 7: ");
        refused(
            "bad quoted-printable",
            before + "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;QUOTED-PRINTABLE:a=ZZ\r\nEND:VCARD\r\n" + card("cy"),
            "line 7: ");
        refused("unknown charset",
                before + "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=X-NONE:b\r\nEND:VCARD\r\n" + card("cy"),
                "line 7: ");
        refused("bytes that are not UTF-8", before + card("b\xff") + card("cy"), "line 7: ");
        refused("a stray continuation byte", before + card("b\x80") + card("cy"), "line 7: ");
        refused("a line without a colon", before + card("b\r\nNOTE x") + card("cy"), "line 8: ");
        refused("an unsupported version", before + "BEGIN:VCARD\r\nVERSION:5.0\r\n", "line 6: ");
        refused("CSV quote never closed", QByteArray("Name\r\na\r\n\"b\r\nc\r\n"), "line 3: ");
        refused("CSV text after a closing quote", QByteArray("Name\r\na\r\n\"b\"c\r\n"), "line 3: ");
        refused("CSV row of another length", QByteArray("Name,remarks\r\na,1\r\nb\r\nc,3\r\n"), "line 3: ");
        refused("neither vCard nor CSV", QByteArray("hello\r\n"), "line 1: ");
    }

    void importTakesAWholeFileOrNothing() {
        QFETCH(QByteArray, text);
        QFETCH(QString, row);  // null: the file is refused
        QFETCH(QString, said);
        const kit::TempBook book(QStringList{kit::row("zed", "z")});
        const QString file = book.path() + "/in";
        write(file, text);

        const Run run = korvaleDb({"import", book.path(), file});

        QCOMPARE(run.exitCode != 0, row.isNull());
        QVERIFY2(row.isNull() ? run.err.contains(file + ": " + said) : run.out.contains(said),
                 qPrintable(run.said()));
        QCOMPARE(book.rows(),
                 QStringList{kit::row("zed", "z")} + (row.isNull() ? QStringList() : QStringList{row}));
    }

    void replacesAndReadsOnlyRegularFiles_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        const auto exportTo = [](const QString& target) {
            return QStringList{"export", "DIR", "-o", target};
        };
        QTest::newRow("export onto the book") << exportTo("KORVALE.mdb") << "it is the book";
        QTest::newRow("export onto the book through a linked folder")
            << exportTo("alias/KORVALE.mdb") << "it is the book";
        QTest::newRow("export onto the book's write-ahead log")
            << exportTo("KORVALE.mdb-wal") << "it is the book";
        QTest::newRow("export onto a symbolic link") << exportTo("link") << "it is a symbolic link";
        QTest::newRow("export onto a FIFO") << exportTo("fifo") << "not a regular file";
        QTest::newRow("export onto a device like /dev/null") << exportTo("null") << "not a regular file";
        QTest::newRow("import of a FIFO, with no writer")
            << QStringList{"import", "DIR", "fifo"} << "fifo: it is not a regular file";
        QTest::newRow("import of a file larger than any book")
            << QStringList{"import", "DIR", "huge"} << "huge: it holds 2199023255552 bytes, more than";
    }

    void replacesAndReadsOnlyRegularFiles() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const kit::TempBook book(QStringList{kit::row("ann", "a")});
        QVERIFY(QDir::setCurrent(book.path()));
        write("kept", "kept");
        write("huge", "BEGIN:VCARD");
        QVERIFY(QFile::resize("huge", qint64{1} << 41));  // sparse: nothing of it is on the disk
        QVERIFY(::symlink(".", "alias") == 0 && ::symlink("kept", "link") == 0 &&
                ::mkfifo("fifo", 0600) == 0);
        QVERIFY2(::mknod("null", S_IFCHR | 0600, makedev(1, 3)) == 0,
                 "making a device node needs root, as CI runs");
        // The write-ahead log is there only while the book is open: it has no type before.
        const QByteArray target = arguments.last().toLocal8Bit();
        struct stat before {};
        ::lstat(target.constData(), &before);

        const Run run = korvaleDb(arguments.replaceInStrings("DIR", book.path()));

        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        QCOMPARE(book.rows(), QStringList{kit::row("ann", "a")});
        struct stat after {};
        QVERIFY(::lstat(target.constData(), &after) == 0);
        if (before.st_mode != 0) QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
        QCOMPARE(bytesOf("kept"), QByteArray("kept"));
    }

    void namesArePrintedWithoutTheirControlCharacters_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("import's report") << QStringList{"import", "DIR", "DIR/in"};
        QTest::newRow("history") << QStringList{"history", "DIR"};
    }

    void namesArePrintedWithoutTheirControlCharacters() {
        QFETCH(QStringList, arguments);
        // Clears the screen and sets the window title, when printed raw; shown escaped.
        const QString raw = QStringLiteral("eve\x1b[2J\x1b]0;owned\x07");
        const QString shown = QStringLiteral("eve\\x1b[2J\\x1b]0;owned\\x07");
        const kit::TempBook book(QStringList{kit::row(raw, "e")});
        book.exec("UPDATE CLIENT_RECORDS SET remarks = 'changed'");
        write(book.path() + "/in", card(raw.toUtf8()));

        const Run run = korvaleDb(arguments.replaceInStrings("DIR", book.path()));

        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(shown) && !run.out.contains(QChar(0x1b)), qPrintable(run.out));
    }

    void reportsWhatItDid_data() {
        QTest::addColumn<bool>("dryRun");
        QTest::newRow("import") << false;
        QTest::newRow("dry run") << true;
    }

    void reportsWhatItDid() {
        QFETCH(bool, dryRun);
        const kit::TempBook book(QStringList{kit::row("ann", "a")});
        const QString dir = book.path(), file = dir + "/in";
        QCOMPARE(korvaleDb({"export", dir, "-o", file}).exitCode, 0);
        // The exported ann again, an ann of other details, a card with no name, and bob.
        write(file, bytesOf(file) + card("ann") + "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:who\r\nEND:VCARD\r\n" +
                        card("bob"));

        const Run run = korvaleDb(dryRun ? QStringList{"import", dir, file, "--dry-run"}
                                         : QStringList{"import", dir, file});

        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains("Read 4 contacts") && run.out.contains("2 contacts") &&
                     run.out.contains("Skipped (2)") &&
                     run.out.contains("line 1, \"ann\": the book already holds") &&
                     run.out.contains("line 19, \"\": neither") &&
                     run.out.contains("already stood in the book, added beside them (1):\n  ann\n"),
                 qPrintable(run.out));
        const QStringList added{QStringLiteral("ann||||||||"), QStringLiteral("bob||||||||")};
        QCOMPARE(book.rows(), QStringList{kit::row("ann", "a")} + (dryRun ? QStringList() : added));
    }

    void restoreBringsBackWhatTheScreensChanged_data() {
        QTest::addColumn<bool>("remove");
        QTest::newRow("bob overwritten with alice's details by UPDATE") << false;
        QTest::newRow("bob deleted by REMOVE") << true;
    }

    void restoreBringsBackWhatTheScreensChanged() {
        QFETCH(bool, remove);
        // bob's remarks are NULL, as another program may leave them: the restore brings back a NULL too.
        const kit::TempBook book(
            QStringList{kit::row("alice", "a"), kit::row("bob", "b").replace("b note", "~")});
        const QStringList before = book.rows();
        korvale::ClientStore store;
        store.open(book.dir(), korvale::RecordSource::wholeTable());
        store.lookUp("bob");
        if (remove) {
            store.rows().Delete();
        } else {
            store.changeCurrentRow(kit::record(kit::row("alice", "a")));
        }
        const QStringList changed = book.rows();

        const Run history = korvaleDb({"history", book.path(), "bob"});
        QVERIFY2(
            history.out.contains(remove ? "deleted" : "changed") && history.out.contains("address: b st"),
            qPrintable(history.out + history.err));
        const Run restore = korvaleDb({"restore", book.path(), numberAfter(history.out, "version")});
        QVERIFY2(restore.exitCode == 0, qPrintable(restore.err));
        QCOMPARE(book.rows(), before);

        // The restore is undone by restoring what it replaced; a contact that came back is a new row.
        const QString replaced = numberAfter(restore.out, "restore " + book.path());
        QCOMPARE(replaced.isEmpty(), remove);
        if (!remove) {
            QCOMPARE(korvaleDb({"restore", book.path(), replaced}).exitCode, 0);
            QCOMPARE(book.rows(), changed);
        }
    }

    void upgradeAddsTheHistoryToAnOlderBook_data() {
        QTest::addColumn<QString>("before");  // what the book was made before
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("said");
        QTest::newRow("book made before the history") << "history" << false << "now keeps history";
        QTest::newRow("busy book") << "history" << true << "is busy";
        QTest::newRow("book made before sync") << "sync" << false << "now has the tables SYNC_SERVER";
        QTest::newRow("book that has it") << "" << false << "already keeps history";
    }

    void upgradeAddsTheHistoryToAnOlderBook() {
        QFETCH(QString, before);
        QFETCH(bool, busy);
        QFETCH(QString, said);
        const kit::TempBook book(before == "history" ? kit::TempBook::Start::Old
                                                     : kit::TempBook::Start::WithBook);
        if (before == "sync") book.exec("DROP TABLE SYNC_SERVER; DROP TABLE SYNC_CARDS");
        book.add({kit::row("ann", "a")});
        std::optional<SQLite::Database> otherWriter;
        if (busy) {
            otherWriter.emplace(book.file(), SQLite::OPEN_READWRITE);
            otherWriter->exec("BEGIN IMMEDIATE");
        }

        const Run run = korvaleDb({"upgrade", book.path()});
        otherWriter.reset();

        QCOMPARE(run.exitCode == 0, !busy);
        QVERIFY2((run.out + run.err).contains(said), qPrintable(run.out + run.err));
        korvale::ClientStore store;
        store.open(book.dir(), korvale::RecordSource::wholeTable());
        store.rows().Delete();
        QCOMPARE(korvaleDb({"history", book.path(), "ann"}).out.contains("address: a st"), !busy);
        // Still without history, a restore and a sync say what to run.
        for (const QString command : {"restore 1", "sync http://127.0.0.1:9/"})
            QCOMPARE(korvaleDb({command.section(' ', 0, 0), book.path(), command.section(' ', 1)})
                         .err.contains("korvale-db upgrade adds it"),
                     busy);
    }

    void readOnlyCommandsReadABookTheyCannotWrite_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::newRow("export") << QStringList{"export", "DIR"} << "FN:ann\r\n";
        QTest::newRow("history of a name") << QStringList{"history", "DIR", "ann"} << "address: a st\n";
    }

    void readOnlyCommandsReadABookTheyCannotWrite() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        const kit::TempBook book(QStringList{kit::row("ann", "a")});
        book.exec("UPDATE CLIENT_RECORDS SET address = 'moved' WHERE Name = 'ann'");
        if (::geteuid() == 0) {
            QVERIFY(::chown(book.path().toLocal8Bit(), 65534, 65534) == 0);
            QVERIFY(::chown(book.file().c_str(), 65534, 65534) == 0);
        }
        QVERIFY(::chmod(book.file().c_str(), 0400) == 0);

        const Run run = korvaleDb(arguments.replaceInStrings("DIR", book.path()), true);

        QVERIFY2(run.exitCode == 0 && run.out.contains(out), qPrintable(run.out + run.err));
        // Nothing was left beside the book that would stand in the way once it is writable again.
        QCOMPARE(QDir(book.path()).entryList(QDir::Files), QStringList{"KORVALE.mdb"});
        QCOMPARE(modeOf(book.path() + "/KORVALE.mdb"), 0400);
    }

    void forgetLeavesNoTrace() {
        const kit::TempBook book(QStringList{kit::row("ann", "a"), kit::row("zebulon", "qzq1"),
                                             kit::row("bob", "b"), kit::row("zebulon", "qzq2")});
        // Every contact synced: the sync state keeps a digest of each card's values.
        book.exec(
            "INSERT INTO SYNC_CARDS (href, row_id, etag, digest, uid) SELECT '/c/' || rowid, rowid, 'e', "
            "'digest of ' || Name, 'u' || rowid FROM CLIENT_RECORDS");
        // The application stays open on the book throughout, as it may while the tool runs.
        korvale::ClientStore store;
        store.open(book.dir(), korvale::RecordSource::wholeTable());
        store.lookUp("zebulon");
        store.changeCurrentRow(kit::record(kit::row("zebulon", "qzq3")));
        store.rows().Delete();
        store.lookUp("bob");
        store.changeCurrentRow(kit::record(kit::row("zebulon", "qzq4")));

        const Run run = korvaleDb({"forget", book.path(), "zebulon"});

        QVERIFY2(run.exitCode == 0 && run.out.startsWith("Forgot zebulon: 2 rows"),
                 qPrintable(run.out + run.err));
        QCOMPARE(book.rows(), QStringList{kit::row("ann", "a")});
        SQLite::Database db(book.file(), SQLite::OPEN_READONLY);
        QCOMPARE(
            db.execAndGet("SELECT group_concat(digest, '|') FROM SYNC_CARDS WHERE digest != ''").getString(),
            std::string("digest of ann"));
        for (const char* suffix : {"", "-wal"}) {
            const QByteArray bytes = bytesOf(book.path() + "/KORVALE.mdb" + suffix);
            QVERIFY2(!bytes.contains("zebulon") && !bytes.contains("qzq"), suffix);
        }
        QCOMPARE(modeOf(book.path() + "/KORVALE.mdb"), 0600);
        // Bob's own details, kept when his row was overwritten, are his, not zebulon's.
        QVERIFY(korvaleDb({"history", book.path(), "bob"}).out.contains("address: b st"));
        store.lookUp("ann");
        QCOMPARE(store.rows().Field("address"), "a st");
    }
};

QTEST_APPLESS_MAIN(tst_KorvaleDb)
#include "tst_KorvaleDb.moc"
