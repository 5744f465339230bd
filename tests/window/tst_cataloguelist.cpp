#include "support/loadedcatalogue.h"
#include "support/testcatalogue.h"
#include "window/list/cataloguelistmodel.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QtTest>

// The list refilled from the catalogue, and its ordering by a column.
class TestCatalogueList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

    // Loads a catalogue holding the given rows (SQL value lists).
    std::unique_ptr<LoadedCatalogue> load(const QStringList &values)
    {
        for (const QString &v : values)
            TestCatalogue::exec(m_file, QStringLiteral("INSERT INTO Files (Path, File, Size, "
                                                       "Created, Modified) VALUES (%1)")
                                            .arg(v));
        auto ws = std::make_unique<LoadedCatalogue>();
        ws->Form_Load(m_dir.path());
        return ws;
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("data.mdb")));
        m_file = TestCatalogue::create(m_dir.path());
    }

    void refillShowsTheCatalogueAsItIsNow()
    {
        auto ws = load({});
        QAbstractItemModelTester tester(ws->list.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(ws->list.count(), 0);

        // Rows added and deleted behind the list show at the next refill.
        TestCatalogue::exec(m_file,
                            QStringLiteral("INSERT INTO Files (Path, File, Size, Modified) VALUES "
                                           "('/d', 'a.txt', '1,234', '2003-01-02'),"
                                           "('/d', 'b.txt', NULL, NULL), ('/d', 'c.txt', '', NULL);"
                                           "DELETE FROM Files WHERE File = 'c.txt'"));
        ws->list.RefreshLv();
        QCOMPARE(TestCatalogue::listed(ws->list, 2), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(TestCatalogue::listed(ws->list, 0), QStringList({"1", "2"}));
        QCOMPARE(TestCatalogue::listed(ws->list, 3), QStringList({"1,234", ""}));
        QCOMPARE(TestCatalogue::listed(ws->list, 4), QStringList({"", ""})); // Type is never filled
        QVERIFY(ws->list.text(0, 7).contains(QLatin1String("2003")));
        QCOMPARE(ws->list.text(1, 7), QString());

        // A recordset that cannot be walked leaves the list empty; the refill still ends.
        ws->catalogue.closeView();
        ws->list.RefreshLv();
        QCOMPARE(ws->list.count(), 0);
    }

    // A stored date is shown in the short date form with a four-digit year (C: d MMM yyyy), its
    // time only when it is not midnight; a text that is no date as it is stored.
    void dateShown_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("date") << "2001-02-03" << "3 Feb 2001";
        QTest::newRow("midnight, another program's") << "2001-02-03 00:00:00" << "3 Feb 2001";
        QTest::newRow("midnight with a T") << "2001-02-03T00:00:00" << "3 Feb 2001";
        QTest::newRow("a second past") << "2001-02-03 00:00:01" << "3 Feb 2001 00:00:01";
        QTest::newRow("afternoon") << "2001-02-03 13:04:05" << "3 Feb 2001 13:04:05";
        QTest::newRow("no date") << "yesterday" << "yesterday";
        QTest::newRow("no time") << "2001-02-03 25:00:00" << "2001-02-03 25:00:00";
    }
    void dateShown()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        auto ws = load({"'/d', 'a', '1', NULL, '" + stored + "'"});
        QCOMPARE(ws->list.text(0, 7), shown);
    }

    void columnsSortByValueOrText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending"); // File names in ascending order
        // Rows: File, Size, Created
        QTest::newRow("size by value")
            << int(CatalogueListModel::Size) << QStringList({"zero", "nine", "K", "tenk"});
        QTest::newRow("date by value")
            << int(CatalogueListModel::Created) << QStringList({"zero", "K", "tenk", "nine"});
        QTest::newRow("text without case")
            << int(CatalogueListModel::File) << QStringList({"K", "nine", "tenk", "zero"});
        QTest::newRow("id by value")
            << int(CatalogueListModel::ID) << QStringList({"nine", "tenk", "zero", "K"});
        QTest::newRow("equal texts in stored order")
            << int(CatalogueListModel::Path) << QStringList({"nine", "tenk", "zero", "K"});
    }
    void columnsSortByValueOrText()
    {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);
        auto ws = load(
                       {"'/d', 'nine', '9', '2003-02-01', NULL",
                        "'/d', 'tenk', '10,000', '2002-01-02 10:00:00', NULL",
                        "'/d', 'zero', '', NULL, NULL", "'/d', 'K', '1,234', '2002-01-02', NULL"});
        QAbstractItemModelTester tester(ws->list.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Make IDs 9 and 10 sort by value, not as "10" < "9".
        TestCatalogue::exec(m_file, QStringLiteral("UPDATE Files SET ID = ID + 7 WHERE ID < 3;"
                                                   "UPDATE Files SET ID = 11 WHERE File = 'zero';"
                                                   "UPDATE Files SET ID = 12 WHERE File = 'K'"));
        ws->list.RefreshLv();
        ws->list.model()->sort(column, Qt::AscendingOrder);
        QStringList expected = ascending;
        QCOMPARE(TestCatalogue::listed(ws->list), expected);
        ws->list.model()->sort(column, Qt::DescendingOrder);
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(TestCatalogue::listed(ws->list), expected);

        // The order holds through a refill, with rows added meanwhile in their place.
        TestCatalogue::exec(m_file, QStringLiteral("INSERT INTO Files (File, Size, Created) "
                                                   "VALUES ('aaa', '5', '2002-06-01')"));
        ws->list.RefreshLv();
        QCOMPARE(ws->list.count(), 5);
        QCOMPARE(ws->list.sortOrder(), 1);
        const QStringList after = TestCatalogue::listed(ws->list);
        QStringList withoutNew = after;
        withoutNew.removeAll(QStringLiteral("aaa"));
        QCOMPARE(withoutNew, expected);
    }

    void storageKeepsEveryCell()
    {
        // Cells of every length class, shared and not, as the storage grows, and over two fills.
        CatalogueRows rows;
        for (int fill = 0; fill < 2; ++fill) {
            rows.clear();
            const int count = 9000 - fill * 4000;
            for (int r = 0; r < count; ++r) {
                QByteArray texts[CatalogueRows::SubItemCount];
                const char *cells[CatalogueRows::SubItemCount];
                int lengths[CatalogueRows::SubItemCount];
                for (int c = 0; c < CatalogueRows::SubItemCount; ++c) {
                    texts[c] = c == 0 ? QByteArray(300, char('a' + r / 7 % 26)) // shared runs
                                      : QByteArray::number(r * 10 + c).repeated(c * 3);
                    cells[c] = c == 3 ? nullptr : texts[c].constData();
                    lengths[c] = int(texts[c].size());
                }
                rows.append(r, cells, lengths);
            }
            rows.release();
            QCOMPARE(rows.size(), size_t(count));
            for (int r : {0, 1, 4095, 4096, count - 1}) {
                QCOMPARE(rows.text(size_t(r), 0), QString::number(r));
                QCOMPARE(rows.text(size_t(r), 1), QString(300, QChar('a' + r / 7 % 26)));
                QCOMPARE(rows.text(size_t(r), 9), QString::number(r * 10 + 8).repeated(24));
                QCOMPARE(rows.text(size_t(r), 4), QString());
            }
        }
    }

    void selectionFollowsItsRowsThroughASort()
    {
        auto ws = load({"'/d', 'b', '2', NULL, NULL", "'/d', 'a', '1', NULL, NULL",
                                 "'/d', 'c', '3', NULL, NULL"});
        TestCatalogue::select(ws->list, 0);       // b
        TestCatalogue::select(ws->list, 2, true); // c
        ws->list.model()->sort(CatalogueListModel::File, Qt::AscendingOrder);
        QCOMPARE(ws->list.selectedRows(), std::vector<int>({1, 2}));
        QCOMPARE(ws->list.text(ws->list.selectedItem(), 2), QStringLiteral("b"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueList)
#include "tst_cataloguelist.moc"
