// The engine object: absent until the first store opens, then one for the whole process. Its own
// executable, so that nothing else has touched the engine before the test starts.

#include <QTest>

#include "store/ClientStore.h"
#include "store/DbEngine.h"
#include "store/RecordSource.h"
#include "tests/support/TestBook.h"

using namespace korvale;
using namespace korvale::testbook;

class DbEngineTest : public QObject {
    Q_OBJECT

private slots:
    void createdOnceOnFirstStore();
};

void DbEngineTest::createdOnceOnFirstStore() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    createBook(pathOf(dir));
    QVERIFY2(!DbEngine::exists(), "making a book must not create the engine");

    ClientStore first;
    first.open(pathOf(dir), RecordSource::wholeTable());
    QVERIFY(DbEngine::exists());
    DbEngine* const engine = &DbEngine::instance();

    ClientStore second;
    second.open(pathOf(dir), RecordSource::byName("ann"));
    first.open(pathOf(dir), RecordSource::wholeTable());
    QCOMPARE(&DbEngine::instance(), engine);
    QVERIFY(DbEngine::exists());
}

QTEST_GUILESS_MAIN(DbEngineTest)
#include "DbEngineTest.moc"
