// Making a book: what it holds, who may read it, and what it refuses to touch.

#include <sys/stat.h>

#include <QFile>
#include <QTest>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/BookSchema.h"
#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/RecordSource.h"
#include "tests/support/TestBook.h"

using namespace korvale;
using namespace korvale::testbook;

namespace {

int permissionsOf(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return -1;
    }
    return static_cast<int>(info.st_mode & 07777);
}

QStringList texts(SQLite::Database& db, const char* sql) {
    SQLite::Statement statement(db, sql);
    QStringList out;
    while (statement.executeStep()) {
        out << QString::fromUtf8(statement.getColumn(0).getText());
    }
    return out;
}

class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;

private:
    mode_t previous_;
};

enum class Existing { Book, TextFile, EmptyFile, Directory, DanglingLink };

}  // namespace

class BookSchemaTest : public QObject {
    Q_OBJECT

private slots:
    void createsAnEmptyBookTheStoreOpens();
    void readableByItsOwnerOnly_data();
    void readableByItsOwnerOnly();
    void refusesAnExistingFile_data();
    void refusesAnExistingFile();
    void refusesABadDirectory_data();
    void refusesABadDirectory();
};

void BookSchemaTest::createsAnEmptyBookTheStoreOpens() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = pathOf(dir) / kBookFileName;

    korvale::createBook(book);

    {
        SQLite::Database db(book, SQLite::OPEN_READONLY);
        QStringList expectedColumns;
        for (const auto name : kColumnNames) {
            expectedColumns << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        }
        QCOMPARE(texts(db, "SELECT name FROM pragma_table_info('CLIENT_RECORDS') ORDER BY cid"),
                 expectedColumns);
        QCOMPARE(texts(db, "SELECT DISTINCT type FROM pragma_table_info('CLIENT_RECORDS')"),
                 QStringList{"TEXT"});
        QCOMPARE(texts(db, "SELECT name FROM sqlite_master WHERE type = 'table'"),
                 QStringList{"CLIENT_RECORDS"});
        QCOMPARE(texts(db, "SELECT name FROM pragma_index_info('CLIENT_RECORDS_Name')"), QStringList{"Name"});
        QCOMPARE(texts(db, "PRAGMA journal_mode"), QStringList{"wal"});
        QCOMPARE(texts(db, "SELECT count(*) FROM CLIENT_RECORDS"), QStringList{"0"});
    }

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    QVERIFY(store.rows().Eof());
    store.addRow(sampleRecord("ann", "a"));
    QCOMPARE(describe(readAllRows(book)), QStringList{describe(rowOf(sampleRecord("ann", "a")))});
}

void BookSchemaTest::readableByItsOwnerOnly_data() {
    QTest::addColumn<int>("umask");
    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 077") << 077;
}

void BookSchemaTest::readableByItsOwnerOnly() {
    QFETCH(int, umask);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = pathOf(dir) / kBookFileName;
    {
        const UmaskScope scope(static_cast<mode_t>(umask));
        korvale::createBook(book);
    }
    QCOMPARE(permissionsOf(book), 0600);

    // The engine's side file, written while a store is open, takes the book's mode.
    const UmaskScope scope(static_cast<mode_t>(umask));
    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    store.addRow(sampleRecord("ann", "a"));
    const std::filesystem::path wal(book.string() + "-wal");
    QVERIFY(std::filesystem::exists(wal));
    QCOMPARE(permissionsOf(wal), 0600);
}

void BookSchemaTest::refusesAnExistingFile_data() {
    QTest::addColumn<int>("existing");
    QTest::newRow("a book with rows") << static_cast<int>(Existing::Book);
    QTest::newRow("a text file") << static_cast<int>(Existing::TextFile);
    QTest::newRow("an empty file") << static_cast<int>(Existing::EmptyFile);
    QTest::newRow("a directory") << static_cast<int>(Existing::Directory);
    QTest::newRow("a dangling symbolic link") << static_cast<int>(Existing::DanglingLink);
}

void BookSchemaTest::refusesAnExistingFile() {
    QFETCH(int, existing);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = pathOf(dir) / kBookFileName;
    const auto elsewhere = pathOf(dir) / "target";
    switch (static_cast<Existing>(existing)) {
        case Existing::Book:
            testbook::createBook(pathOf(dir));
            insertRows(book, {rowOf(sampleRecord("ann", "a"))});
            break;
        case Existing::TextFile: {
            QFile file(q(book.string()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a book\n");
            break;
        }
        case Existing::EmptyFile: {
            QFile file(q(book.string()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            break;
        }
        case Existing::Directory:
            std::filesystem::create_directory(book);
            break;
        case Existing::DanglingLink:
            std::filesystem::create_symlink(elsewhere, book);
            break;
    }
    QFile before(q(book.string()));
    const QByteArray content = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    before.close();
    const int mode = permissionsOf(book);

    const auto failure = failureOf([&] { korvale::createBook(book); });

    QVERIFY(failure);
    QCOMPARE(q(failure->what()), "Cannot create the book " + q(book.string()) +
                                     ": a file of that name already exists; it was left untouched");
    QFile after(q(book.string()));
    QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), content);
    QCOMPARE(permissionsOf(book), mode);
    QVERIFY2(!std::filesystem::exists(elsewhere), "the link must not be followed");
    if (static_cast<Existing>(existing) == Existing::Book) {
        QCOMPARE(readAllRows(book).size(), std::size_t(1));
    }
}

void BookSchemaTest::refusesABadDirectory_data() {
    QTest::addColumn<bool>("fileInstead");
    QTest::addColumn<QString>("cause");
    QTest::newRow("missing directory") << false << "the directory %1 does not exist";
    QTest::newRow("a file where the directory should be") << true << "%1 is not a directory";
}

void BookSchemaTest::refusesABadDirectory() {
    QFETCH(bool, fileInstead);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto parent = pathOf(dir) / "app";
    if (fileInstead) {
        QFile file(q(parent.string()));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto book = parent / kBookFileName;

    const auto failure = failureOf([&] { korvale::createBook(book); });

    QVERIFY(failure);
    QCOMPARE(q(failure->what()),
             "Cannot create the book " + q(book.string()) + ": " + cause.arg(q(parent.string())));
    QVERIFY(!std::filesystem::exists(book));
}

QTEST_GUILESS_MAIN(BookSchemaTest)
#include "BookSchemaTest.moc"
