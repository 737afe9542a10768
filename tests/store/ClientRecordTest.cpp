// Column names as the screens spell them, matched to the table's columns.

#include <QTest>

#include "store/ClientRecord.h"

using namespace korvale;

class ClientRecordTest : public QObject {
    Q_OBJECT

private slots:
    void columnByName_data();
    void columnByName();
};

void ClientRecordTest::columnByName_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("expected");  // -1: no such column

    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const QByteArray spelled(kColumnNames[i].data(), static_cast<qsizetype>(kColumnNames[i].size()));
        QTest::addRow("%s as the table spells it", spelled.constData()) << spelled << static_cast<int>(i);
        QTest::addRow("%s in upper case", spelled.constData()) << spelled.toUpper() << static_cast<int>(i);
        QTest::addRow("%s in lower case", spelled.constData()) << spelled.toLower() << static_cast<int>(i);
    }
    QTest::newRow("mixed case") << QByteArray("eMaIl_Id") << static_cast<int>(Column::email_id);
    QTest::newRow("empty text") << QByteArray() << -1;
    QTest::newRow("prefix") << QByteArray("Nam") << -1;
    QTest::newRow("longer") << QByteArray("Names") << -1;
    QTest::newRow("surrounding space") << QByteArray(" Name ") << -1;
    QTest::newRow("trailing NUL") << QByteArray("Name\0", 5) << -1;
    QTest::newRow("hyphen for underscore") << QByteArray("cell-no") << -1;
    QTest::newRow("Cyrillic look-alike") << QByteArray("N\xd0\xb0me") << -1;
    QTest::newRow("Latin-1 upper-case lookalike") << QByteArray("NAM\xc3\x89") << -1;
}

void ClientRecordTest::columnByName() {
    QFETCH(QByteArray, name);
    QFETCH(int, expected);

    const auto column =
        korvale::columnByName(std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
    QCOMPARE(column ? static_cast<int>(*column) : -1, expected);
}

QTEST_GUILESS_MAIN(ClientRecordTest)
#include "ClientRecordTest.moc"
