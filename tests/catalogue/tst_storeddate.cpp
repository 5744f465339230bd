#include "catalogue/storeddate.h"

#include <QtTest>

// Stored dates as every reader reads them: Find's bounds, the list's order and display, the
// export and the Discs window's times.
class TestStoredDate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("moment"); // -1: no date
        QTest::addColumn<QByteArray>("iso");
        QTest::newRow("day") << QByteArray("2003-01-02") << 20030102000000LL
                             << QByteArray("2003-01-02");
        QTest::newRow("time") << QByteArray("2003-01-02 10:20:30") << 20030102102030LL
                              << QByteArray("2003-01-02T10:20:30");
        QTest::newRow("ISO time") << QByteArray("2003-01-02T23:59:59") << 20030102235959LL
                                  << QByteArray("2003-01-02T23:59:59");
        QTest::newRow("leap day") << QByteArray("2000-02-29") << 20000229000000LL
                                  << QByteArray("2000-02-29");
        for (const char *bad : {"1900-02-29", "2003-13-01", "2003-04-31", "0000-01-01",
                                "2003-1-02", "2003/01/02", "2003-01-02 24:00:00", "2003-01-02 10:20",
                                "2003-01-0x", "", "yesterday"})
            QTest::newRow(bad) << QByteArray(bad) << -1LL << QByteArray();
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, moment);
        const StoredDate date = StoredDate::parse(text);
        QCOMPARE(date.moment(), moment);
        QCOMPARE(date.day(), moment < 0 ? -1 : moment / 1000000);
        std::string iso;
        date.appendIso(iso);
        QTEST(QByteArray::fromStdString(iso), "iso");
        QCOMPARE(date.utc().isValid(), moment >= 0);
    }
};

QTEST_GUILESS_MAIN(TestStoredDate)
#include "tst_storeddate.moc"
