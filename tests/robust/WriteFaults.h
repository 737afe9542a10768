#pragma once

// The rows every test of a fault during a write runs: one per writing screen.

#include <QTest>

#include "tests/robust/ScreenDriving.h"

Q_DECLARE_METATYPE(korvale::robust::Write)

namespace korvale::robust {

inline void addWriteRows() {
    QTest::addColumn<Write>("write");
    QTest::newRow("SUBMIT on the addition screen") << Write::Add;
    QTest::newRow("UPDATE on the updation screen") << Write::Update;
    QTest::newRow("REMOVE on the deletion screen") << Write::Delete;
}

}  // namespace korvale::robust
