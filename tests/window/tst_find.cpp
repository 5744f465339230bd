#include "catalogue/findquery.h"
#include "support/loadedcatalogue.h"
#include "support/testcatalogue.h"
#include "window/find/findcounter.h"
#include "window/list/cataloguelistmodel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Path|File|Size|Created|Accessed|Modified|Archive|Serial; "-" for no value.
const QStringList Rows = {
    "/Music/Blue|Song One.mp3|4,194,304|2019-03-31|2020-02-29|2019-03-31 23:59:59|BLUE_1|1234-ABCD",
    "/Music/Blue|Song Two.MP3|1,048,576|2019-04-01|2019-04-01|2019-04-01|BLUE_1|1234-ABCD",
    "/Photos/2019|IMG_0001.JPG|1,048,575|2020-02-29|2020-02-29|2020-02-29|RED|5678-0000",
    "/Photos/2019|holiday photo.png|5,368,709,120|2019-12-31|2019-12-31|2019-12-31|RED|5678-0000",
    "/Docs|Résumé.doc|-|-|-|-|Blue Archive|9ABC-DEF0",
    "/Docs/Music notes|notes.txt|0|2021-01-01|2021-01-01|2021-01-01|-|-",
    "/ISO|debian.iso|4,700,000,000|2005-06-30|2005-06-30|2005-06-30|SOFTWARE|1111-2222",
    "/ISO|ΣΟΦΙΑ.ISO|2,048|2005-07-01|2005-07-01|2005-07-01|SOFTWARE|1111-2222",
};

qint64 bytesOf(const QString &file)
{
    for (const QString &row : Rows)
        if (row.section('|', 1, 1) == file)
            return row.section('|', 2, 2).remove(',').toLongLong(); // "-" gives 0
    return -1;
}

} // namespace

// Find's queries over the rows the list holds, and their count.
class TestFind : public QObject
{
    Q_OBJECT

    CatalogueFixture m_catalogue;
    LoadedCatalogue m_loaded;

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString &row : Rows) {
            QStringList values;
            for (const QString &cell : row.split('|'))
                values << (cell == "-" ? "NULL" : "'" + cell + "'");
            m_catalogue.exec("INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, "
                             "Archive, Serial) VALUES (" +
                             values.join(", ") + ")");
        }
        m_loaded.Form_Load(m_catalogue.folder());
    }

    void query_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected"); // the names found; or the reason, alone

        const QString a = "Song One.mp3", b = "Song Two.MP3", c = "IMG_0001.JPG",
                      d = "holiday photo.png", e = "Résumé.doc", f = "notes.txt", g = "debian.iso",
                      h = "ΣΟΦΙΑ.ISO";
        QTest::newRow("empty") << "  " << QStringList{a, b, c, d, e, f, g, h};
        QTest::newRow("word, case folded") << "SONG" << QStringList{a, b};
        QTest::newRow("two words") << "song TWO" << QStringList{b};
        QTest::newRow("phrase") << "\"song one\"" << QStringList{a};
        QTest::newRow("phrase in another order") << "\"one song\"" << QStringList{};
        QTest::newRow("exclusion") << "-song" << QStringList{c, d, e, f, g, h};
        QTest::newRow("excluded phrase") << "-\"song one\" song" << QStringList{b};
        QTest::newRow("non-ASCII name") << "RÉSUMÉ" << QStringList{e};
        QTest::newRow("non-ASCII, other case") << "σοφια" << QStringList{h};
        QTest::newRow("a quoted key is a word") << "\"size:1\"" << QStringList{};
        QTest::newRow("folder") << "folder:music" << QStringList{a, b, f};
        QTest::newRow("folder, quoted, key in capitals")
            << "FOLDER:\"music notes\"" << QStringList{f};
        QTest::newRow("disc by label") << "disc:blue" << QStringList{a, b, e};
        QTest::newRow("disc by serial") << "disc:1234-abcd" << QStringList{a, b};
        QTest::newRow("disc by part of a serial") << "disc:1234" << QStringList{};
        QTest::newRow("types") << "type:jpg,PNG" << QStringList{c, d};
        QTest::newRow("type with its dot") << "type:.iso" << QStringList{g, h};
        QTest::newRow("exactly 1 MB") << "size:1MB" << QStringList{b};
        QTest::newRow("over 1 MB") << "size:>1MB" << QStringList{a, d, g};
        QTest::newRow("1 MB and over") << "size:>=1mb" << QStringList{a, b, d, g};
        QTest::newRow("under 1 MB, empty size is 0") << "size:<1MB" << QStringList{c, e, f, h};
        QTest::newRow("size 0") << "size:0" << QStringList{e, f};
        QTest::newRow("size range") << "size:1MB..4MB" << QStringList{a, b};
        QTest::newRow("size with a fraction") << "size:>4.5GB" << QStringList{d};
        QTest::newRow("year") << "modified:2019" << QStringList{a, b, d};
        QTest::newRow("month, to its last second") << "modified:2019-03" << QStringList{a};
        QTest::newRow("after the last day of a month")
            << "modified:>2019-03-31" << QStringList{b, c, d, f};
        QTest::newRow("leap day") << "modified:2020-02-29" << QStringList{c};
        QTest::newRow("years to a month, inclusive") << "modified:2001..2005-06" << QStringList{g};
        QTest::newRow("before a month") << "modified:<2005-07" << QStringList{g};
        QTest::newRow("missing dates are not excluded")
            << "-modified:2019" << QStringList{c, e, f, g, h};
        QTest::newRow("created") << "created:2019" << QStringList{a, b, d};
        QTest::newRow("accessed, leap day") << "accessed:2020-02-29" << QStringList{a, c};
        QTest::newRow("combined") << "type:mp3 size:>1MB disc:blue -two" << QStringList{a};
        QTest::newRow("combined with folder and date")
            << "folder:iso disc:software -debian modified:2005" << QStringList{h};
        QTest::newRow("names and places only")
            << "type:mp3,txt folder:music -disc:blue" << QStringList{f};
        QTest::newRow("names and places excluded")
            << "-type:iso -folder:MUSIC" << QStringList{c, d, e};
        QTest::newRow("serial and type") << "disc:1111-2222 type:.ISO" << QStringList{g, h};

        QTest::newRow("bad unit") << "song size:10XB" << QStringList{"\"10XB\" is not a size"};
        QTest::newRow("bad bound") << "size:1MB..x" << QStringList{"\"x\" is not a size"};
        QTest::newRow("no value") << "size:" << QStringList{"\"size:\" needs a value"};
        QTest::newRow("no extension") << "type:,." << QStringList{"\"type:\" needs a value"};
        QTest::newRow("no such month")
            << "modified:2019-13" << QStringList{"\"2019-13\" is not a date"};
        QTest::newRow("no leap day")
            << "created:2019-02-29" << QStringList{"\"2019-02-29\" is not a date"};
        QTest::newRow("short year") << "accessed:19" << QStringList{"\"19\" is not a date"};
        QTest::newRow("quote not closed") << "\"song one" << QStringList{"A quote is not closed"};
    }
    void query()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);

        const FindQuery parsed = FindQuery::parse(query);
        if (!parsed.isValid()) {
            QCOMPARE(QStringList{parsed.reason()}, expected);
            return;
        }
        m_loaded.list.show(ListView::find(parsed));
        QCOMPARE(TestCatalogue::listed(m_loaded.list), expected);

        qint64 bytes = 0;
        for (const QString &file : expected)
            bytes += bytesOf(file);
        CatalogueListModel::FindTotal total;
        QVERIFY(m_loaded.list.model()->countMatching(parsed, nullptr, total));
        QCOMPARE(total.files, qint64(expected.size()));
        QCOMPARE(total.bytes, bytes);
        m_loaded.list.showWholeCatalogue();
        QCOMPARE(m_loaded.list.count(), Rows.size());
    }

    // A sorted Find view stays sorted, keeps showing what matches after a refill, and counts
    // every row held.
    void sortedAndRefilled()
    {
        m_loaded.list.sortBy(3, 1); // Size, descending
        m_loaded.list.show(ListView::find(FindQuery::parse("type:iso,mp3")));
        QCOMPARE(TestCatalogue::listed(m_loaded.list),
                 QStringList({"debian.iso", "Song One.mp3", "Song Two.MP3", "ΣΟΦΙΑ.ISO"}));
        m_catalogue.exec("INSERT INTO Files (Path, File, Size) VALUES ('/x', 'new.mp3', '3')");
        m_loaded.list.RefreshLv();
        QCOMPARE(TestCatalogue::listed(m_loaded.list).last(), "new.mp3");
        m_catalogue.exec("DELETE FROM Files WHERE File = 'new.mp3'");
        m_loaded.list.RefreshLv();
        QCOMPARE(m_loaded.list.view().kind(), ListView::Find);
        QCOMPARE(m_loaded.list.count(), 4);
        m_loaded.list.showWholeCatalogue();
        QCOMPARE(TestCatalogue::listed(m_loaded.list).first(), "holiday photo.png");
    }

    // A negative Size text, as the Windows program wrote sizes of 2 to 4 GiB, is read as that
    // number plus 4 GiB by Find, its count and the sort, and is shown as it is stored.
    void windowsSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("3,000,000,000") << "-1,294,967,296" << qint64(3000000000);
        QTest::newRow("4 GiB less a byte") << "-1" << qint64(4294967295);
        QTest::newRow("2 GiB") << "-2,147,483,648" << qint64(2147483648);
        QTest::newRow("positive as it is") << "1,294,967,296" << qint64(1294967296);
    }
    void windowsSize()
    {
        QFETCH(QString, text);
        QFETCH(qint64, bytes);
        m_catalogue.exec("INSERT INTO Files (Path, File, Size) VALUES ('/w', 'win.avi', '" + text +
                         "')");
        m_loaded.list.RefreshLv();
        const FindQuery query = FindQuery::parse("size:" + QString::number(bytes));
        m_loaded.list.show(ListView::find(query));
        QCOMPARE(TestCatalogue::listed(m_loaded.list), QStringList("win.avi"));
        QCOMPARE(m_loaded.list.model()->index(0, 3).data().toString(), text);
        CatalogueListModel::FindTotal total;
        QVERIFY(m_loaded.list.model()->countMatching(query, nullptr, total));
        QCOMPARE(total.bytes, bytes);
        m_loaded.list.showWholeCatalogue();
        m_loaded.list.sortBy(3, 1); // Size, descending: between 4.7 GB and 4 MB
        const QStringList sorted = TestCatalogue::listed(m_loaded.list);
        QCOMPARE(sorted.indexOf("win.avi"), 2);
        m_catalogue.exec("DELETE FROM Files WHERE File = 'win.avi'");
        m_loaded.list.RefreshLv();
    }

    // Only the newest text's count is reported; one still running for older text is dropped.
    void countDroppedForNewerText()
    {
        FindCounter counter(*m_loaded.list.model());
        QSignalSpy counted(&counter, &FindCounter::counted);
        counter.count(FindQuery::parse("song"));
        counter.count(FindQuery::parse("type:iso"));
        QVERIFY(counted.wait());
        QTest::qWait(50);
        QCOMPARE(counted.size(), 1);
        QCOMPARE(counted[0], QVariantList({qint64(2), qint64(4700002048)}));
        counter.count(FindQuery::parse("song"));
        counter.stop();
        QVERIFY(!counted.wait(100));
    }
};

QTEST_MAIN(TestFind)
#include "tst_find.moc"
