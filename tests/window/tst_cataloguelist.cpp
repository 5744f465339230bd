#include "catalogue/casefold.h"
#include "catalogue/findquery.h"
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
        QTest::newRow("date") << "2001-02-03"
                              << "3 Feb 2001";
        QTest::newRow("midnight, another program's") << "2001-02-03 00:00:00"
                                                     << "3 Feb 2001";
        QTest::newRow("midnight with a T") << "2001-02-03T00:00:00"
                                           << "3 Feb 2001";
        QTest::newRow("a second past") << "2001-02-03 00:00:01"
                                       << "3 Feb 2001 00:00:01";
        QTest::newRow("afternoon") << "2001-02-03 13:04:05"
                                   << "3 Feb 2001 13:04:05";
        QTest::newRow("no date") << "yesterday"
                                 << "yesterday";
        QTest::newRow("no time") << "2001-02-03 25:00:00"
                                 << "2001-02-03 25:00:00";
    }
    void dateShown()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        auto ws = load({"'/d', 'a', '1', NULL, '" + stored + "'"});
        QCOMPARE(ws->list.text(0, 7), shown);
    }

    // Filled behind: the rows come in parts from another thread, sorted once all are in; a
    // refill meanwhile stops the fill and reads them at once.
    void fillBehind()
    {
        auto ws = load({});
        TestCatalogue::exec(m_file, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                    "FROM n WHERE i < 70000) INSERT INTO Files (Path, File, "
                                    "Size) SELECT '/d', 'f' || i, i FROM n");
        QSignalSpy arrived(ws->list.model(), &CatalogueListModel::rowsArrived);
        ws->list.fillBehind();
        QCOMPARE(ws->list.count(), 0);
        QVERIFY(!ws->list.holdsWholeCatalogue());
        QTRY_VERIFY(!ws->list.filling());
        QCOMPARE(arrived.size(), 3);
        QCOMPARE(ws->list.count(), 70000);
        QCOMPARE(ws->list.text(69999, 2), "f70000");
        QVERIFY(ws->list.holdsWholeCatalogue());

        ws->list.sortBy(3, 1);
        ws->list.fillBehind();
        QTRY_VERIFY(!ws->list.filling());
        QCOMPARE(ws->list.text(0, 2), "f70000");
        ws->list.fillBehind();
        ws->list.RefreshLv();
        QVERIFY(!ws->list.filling());
        QTest::qWait(50); // nothing more comes
        QCOMPARE(ws->list.count(), 70000);
        QCOMPARE(ws->list.text(0, 2), "f70000");
    }

    // Once every row is in, the list filled behind is the list read and sorted at once: the
    // same rows in the same order, over parts, names equal but for case and archives' members.
    void fillBehindOrdersAsARefill_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::newRow("empty") << 0 << int(CatalogueListModel::File) << 0;
        QTest::newRow("names, parts") << 70000 << int(CatalogueListModel::File) << 0;
        QTest::newRow("names, descending") << 70000 << int(CatalogueListModel::File) << 1;
        QTest::newRow("folders") << 70000 << int(CatalogueListModel::Path) << 0;
    }
    void fillBehindOrdersAsARefill()
    {
        QFETCH(int, rows);
        QFETCH(int, column);
        QFETCH(int, order);
        auto ws = load({});
        // Names and folders of several lengths that share their first eight folded bytes, and
        // equal but for case ("Straße" and "STRASSE" fold alike); IDs spread wide, with a gap, as the
        // read in pieces by ID meets them.
        TestCatalogue::exec(
            m_file, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 WHERE %1 > 0 UNION ALL "
                                   "SELECT i + 1 FROM n WHERE i < %1) INSERT INTO Files (ID, "
                                   "Path, File) SELECT i * 3 + (i > 35000) * 200000, CASE i "
                                   "% 4 WHEN 0 THEN '/d' || (i % 5) WHEN 1 THEN '/Größe ' || "
                                   "(i % 7) WHEN 2 THEN '/GRÖSSE ' || (i % 3) ELSE "
                                   "'/größe/Ünter' || (i % 11) END, CASE i % 6 WHEN 0 THEN "
                                   "'Straße' WHEN 1 THEN 'STRASSE' WHEN 2 THEN 'IMG_00' || (i % "
                                   "97) || '.JPG' WHEN 3 THEN 'img_00' || (i % 89) || '.jpg' "
                                   "WHEN 4 THEN 'a' ELSE 'A' END FROM n;"
                                   "INSERT INTO ArchiveMembers (FileID, Path, File) SELECT ID, "
                                   "'', 'a' FROM Files WHERE ID < 7")
                        .arg(rows));
        // The reference: one plain read and sort. RefreshLv reads a table this wide on two
        // threads too.
        HeldRows plain;
        QVERIFY(!plain.fill(ws->catalogue, false));
        plain.sort(column, order == 1);
        ws->list.sortBy(column, order);
        ws->list.fillBehind();
        QTRY_VERIFY_WITH_TIMEOUT(!ws->list.filling(), 20000);
        std::vector<RowKey> behind;
        for (int row = 0; row < ws->list.count(); ++row)
            behind.push_back(ws->list.key(row));
        ws->list.RefreshLv();
        QCOMPARE(ws->list.count(), rows + std::min(rows, 2));
        QCOMPARE(plain.shownCount(), size_t(ws->list.count()));
        for (int row = 0; row < ws->list.count(); ++row) {
            QVERIFY2(ws->list.key(row) == behind[size_t(row)], qPrintable(QString::number(row)));
            QVERIFY(ws->list.key(row) == plain.rows().key(plain.storedRow(size_t(row))));
            if (row == 0)
                continue;
            // By folded text, then by the bytes, then files before members, each by ID.
            const QByteArray a = ws->list.bytes(row - 1, column), b = ws->list.bytes(row, column);
            const int c = CaseFold::compare(a.constData(), a.size(), b.constData(), b.size());
            const RowKey x = ws->list.key(row - 1), y = ws->list.key(row);
            const bool stored = x.kind != y.kind ? x.kind == RowKey::File : x.id < y.id;
            QVERIFY((order == 0 ? c < 0 || (c == 0 && stored) : c > 0 || (c == 0 && !stored)));
        }
        QVERIFY(ws->list.holdsWholeCatalogue());
    }

    // Read again behind the window after a run wrote: the view, the sort and the records
    // selected stay, and the rows are those of the file as it is now, each once.
    void refillBehind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << int(ListView::WholeCatalogue) << "c b2 b a";
        QTest::newRow("search") << int(ListView::Search) << "b2 b";
        QTest::newRow("find") << int(ListView::Find) << "b2 b";
    }
    void refillBehind()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        const ListView view = kind == ListView::Search ? ListView::search("b")
                              : kind == ListView::Find ? ListView::find(FindQuery::parse("b"))
                                                       : ListView::wholeCatalogue();
        auto ws = load({"'/d', 'a', '1', NULL, NULL", "'/d', 'b', '2', NULL, NULL",
                        "'/d', 'c', '3', NULL, NULL"});
        ws->list.sortBy(CatalogueListModel::File, 1);
        ws->list.show(view);
        TestCatalogue::select(ws->list, ws->list.count() - 1); // b, or a
        const QString selected = ws->list.text(ws->list.selectedItem(), 2);
        TestCatalogue::exec(m_file, "INSERT INTO Files (Path, File) VALUES ('/d', 'b2')");
        ws->list.refillBehind();
        QTRY_VERIFY(!ws->list.filling());
        QCOMPARE(TestCatalogue::listed(ws->list, 2).join(' '), shown);
        QCOMPARE(ws->list.view().kind(), view.kind());
        QCOMPARE(ws->list.text(ws->list.selectedItem(), 2), selected);
        QVERIFY(ws->list.holdsWholeCatalogue());
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
