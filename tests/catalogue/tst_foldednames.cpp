#include "catalogue/foldednames.h"

#include <QtTest>

// The scan over the names held in memory: hits anywhere in a name, across the places where the
// scan changes its stride, and never across two names.
class TestFoldedNames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void find_data()
    {
        QTest::addColumn<QString>("literal"); // already folded
        QTest::addColumn<QList<qint64>>("ids");
        QTest::newRow("one byte") << "q" << QList<qint64>{3, 7, 40};
        QTest::newRow("two bytes at the very end") << "yz" << QList<qint64>{50};
        QTest::newRow("around the sixteenth place") << "op" << QList<qint64>{7};
        QTest::newRow("folded on the way in") << "ss" << QList<qint64>{9};
        QTest::newRow("several bytes of one character") << "é" << QList<qint64>{12};
        QTest::newRow("not across two names") << "az" << QList<qint64>{};
    }
    void find()
    {
        QFETCH(QString, literal);
        QFETCH(QList<qint64>, ids);
        FoldedNames names;
        const QList<QPair<qint64, QByteArray>> rows = {
            {3, "aq"},     {7, "abcdefghijklmnopqrst"}, {9, "STRAßE"}, {10, nullptr},
            {12, "É.TXT"}, {20, "xxxxxxxxxxxxxxxa"},    {21, "zebra"}, {40, "Q"},
            {50, "xyz"}};
        for (const auto &row : rows)
            names.add(row.first, row.second.isNull() ? nullptr : row.second.constData(),
                      int(row.second.size()));
        std::vector<qint64> found;
        QVERIFY(names.find(
            literal.toUtf8(), [](const char *, int) { return true; }, 100, found));
        QCOMPARE(QList<qint64>(found.begin(), found.end()), ids);
        // Past the limit the scan gives up, so that a broad text reads the rows instead.
        if (ids.size() > 1) {
            found.clear();
            QVERIFY(!names.find(
                literal.toUtf8(), [](const char *, int) { return true; }, 1, found));
        }
    }
};

QTEST_GUILESS_MAIN(TestFoldedNames)
#include "tst_foldednames.moc"
