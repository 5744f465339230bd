#include "catalogue/storeddate.h"

#include <QtTest>

// Stored dates as Find, the list, the export and the Discs window read them.
class TestStoredDate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<qint64>("moment"); // of the row's name; -1: no date
        QTest::newRow("2000-02-29") << 20000229000000LL;
        QTest::newRow("2003-01-02 23:59:59") << 20030102235959LL;
        for (const char *bad : {"1900-02-29", "2003-13-01", "2003-04-31", "0000-01-01", "2003-1-02",
                                "2003/01/02", "2003-01-02 24:00:00", "2003-01-02 10:20", ""})
            QTest::newRow(bad) << -1LL;
    }
    void parse()
    {
        QTEST(StoredDate::parse(QByteArrayView(QTest::currentDataTag())).moment(), "moment");
    }
};

QTEST_GUILESS_MAIN(TestStoredDate)
#include "tst_storeddate.moc"
