#include "catalogue/filerow.h"
#include "catalogue/heldrows.h"
#include "catalogue/storeddate.h"

#include <QtTest>

// The rows held for the list, without a window or a catalogue: what they keep, and which of them
// are shown in which order.
class TestHeldRows : public QObject
{
    Q_OBJECT

    // Rows given as File, Size, Created; the IDs are 9, 10, 11, 12, then members 1 and 2.
    static void fill(HeldRows &held)
    {
        held.begin({"ID", "Path", "File", "Size", "Created"});
        const char *files[][3] = {{"nine", "9", "2003-02-01"},
                                  {"tenk", "10,000", "2002-01-02 10:00:00"},
                                  {"zero", "", nullptr},
                                  {"K", "1,234", "2002-01-02"}};
        qint64 id = 9;
        for (const auto &f : files) {
            const RowCell cells[] = {{nullptr, 0},
                                     {"/d", 2},
                                     {f[0], int(strlen(f[0]))},
                                     {f[1], int(strlen(f[1]))},
                                     {f[2], f[2] ? int(strlen(f[2])) : 0}};
            held.row(id++, cells);
        }
        for (const char *name : {"Member", "amember"}) {
            RowCell cells[FilesField::FieldCount] = {};
            cells[FilesField::Path] = {"/d/a.zip", 8};
            cells[FilesField::File] = {name, int(strlen(name))};
            held.member(id - 12, cells);
            ++id;
        }
    }
    static QStringList shown(const HeldRows &held)
    {
        QStringList names;
        for (size_t i = 0; i < held.shownCount(); ++i)
            names << held.rows().text(held.storedRow(i), FilesField::File);
        return names;
    }

private Q_SLOTS:
    void sortsByValueOrText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending"); // File names in ascending order
        QTest::newRow("size by value")
            << int(FilesField::Size)
            << QStringList({"zero", "Member", "amember", "nine", "K", "tenk"});
        QTest::newRow("date by value")
            << int(FilesField::Created)
            << QStringList({"zero", "Member", "amember", "K", "tenk", "nine"});
        QTest::newRow("text without case")
            << int(FilesField::File)
            << QStringList({"amember", "K", "Member", "nine", "tenk", "zero"});
        QTest::newRow("id by value, members last")
            << int(FilesField::ID)
            << QStringList({"nine", "tenk", "zero", "K", "Member", "amember"});
        QTest::newRow("equal texts in stored order")
            << int(FilesField::Serial)
            << QStringList({"nine", "tenk", "zero", "K", "Member", "amember"});
    }
    void sortsByValueOrText()
    {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);
        HeldRows held;
        fill(held);
        held.sort(column, false);
        QCOMPARE(shown(held), ascending);
        held.sort(column, true);
        std::reverse(ascending.begin(), ascending.end());
        QCOMPARE(shown(held), ascending);
        // Find's matches keep the order, and every row comes back after.
        held.showOnly(FindQuery::parse(QStringLiteral("e -member")));
        QCOMPARE(shown(held), ascending.filter(QRegularExpression("^(nine|tenk|zero)$")));
        const std::vector<qint64> places = held.shownPlaces();
        QCOMPARE(std::count(places.begin(), places.end(), -1), 3);
        held.showAll();
        QCOMPARE(shown(held), ascending);
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
                    if (c == 3) // types: none, then some, a few kinds in turn
                        texts[c] = r < 100 * fill ? QByteArray::number(r % 3) : QByteArray();
                    cells[c] = texts[c].isNull() ? nullptr : texts[c].constData();
                    lengths[c] = int(texts[c].size());
                }
                // IDs one after another, then apart, then past 32 bits.
                rows.append(fill == 0 ? r : r * 3 + (r >= 4000 ? qint64(1) << 33 : 0), cells,
                            lengths);
            }
            rows.release();
            QCOMPARE(rows.size(), size_t(count));
            for (int r : {0, 1, 98, 99, 4095, 4096, count - 1}) {
                QCOMPARE(rows.id(size_t(r)),
                         fill == 0 ? r : r * 3 + (r >= 4000 ? qint64(1) << 33 : 0));
                QCOMPARE(rows.text(size_t(r), 1), QString(300, QChar('a' + r / 7 % 26)));
                QCOMPARE(rows.text(size_t(r), 9), QString::number(r * 10 + 8).repeated(24));
                QCOMPARE(rows.text(size_t(r), 4),
                         r < 100 * fill ? QString::number(r % 3) : QString());
            }
        }
    }

    // Sizes and dates are held as numbers where that gives back the stored text; every other text
    // is kept as it is. Either way the cell reads back byte for byte, in the rows copied too.
    void cellsReadBackAsStored_data()
    {
        QTest::addColumn<QByteArray>("first"); // the first row's size: sets the grouping
        QTest::addColumn<int>("column");
        QTest::addColumn<QByteArray>("stored");
        const int size = FilesField::Size, date = FilesField::Modified;
        QTest::newRow("size") << QByteArray("1,000") << size << QByteArray("1,234,567");
        QTest::newRow("size of 5 GB") << QByteArray("1") << size << QByteArray("5,368,709,120");
        QTest::newRow("size past 64 GB")
            << QByteArray() << size << QByteArray("99,999,999,999,999");
        QTest::newRow("size grouped by points")
            << QByteArray("1.000") << size << QByteArray("12.345");
        QTest::newRow("size grouped otherwise")
            << QByteArray("1.000") << size << QByteArray("12,345");
        QTest::newRow("size not grouped") << QByteArray("1000") << size << QByteArray("123456");
        QTest::newRow("size ungrouped among grouped")
            << QByteArray("1,000") << size << QByteArray("1234");
        QTest::newRow("size badly grouped") << QByteArray("1,000") << size << QByteArray("12,34");
        QTest::newRow("size with a letter") << QByteArray("1k000") << size << QByteArray("1k234");
        QTest::newRow("size zero") << QByteArray() << size << QByteArray("0");
        QTest::newRow("size leading zero") << QByteArray() << size << QByteArray("0,123");
        QTest::newRow("size signed") << QByteArray() << size << QByteArray("-1,234");
        QTest::newRow("size empty") << QByteArray() << size << QByteArray("");
        QTest::newRow("date") << QByteArray() << date << QByteArray("2003-08-23");
        QTest::newRow("date and time") << QByteArray() << date << QByteArray("2001-11-15 22:40:35");
        QTest::newRow("leap day") << QByteArray() << date << QByteArray("2020-02-29");
        QTest::newRow("last second held")
            << QByteArray() << date << QByteArray("2106-02-07 06:28:15");
        QTest::newRow("midnight written")
            << QByteArray() << date << QByteArray("2001-11-15 00:00:00");
        QTest::newRow("no such day") << QByteArray() << date << QByteArray("2019-02-30");
        QTest::newRow("no leap day") << QByteArray() << date << QByteArray("2100-02-29");
        QTest::newRow("hour 24") << QByteArray() << date << QByteArray("2003-01-02 24:00:00");
        QTest::newRow("slashes") << QByteArray() << date << QByteArray("2003/01/02");
        QTest::newRow("with T") << QByteArray() << date << QByteArray("2003-01-02T10:00:00");
        QTest::newRow("before 1970") << QByteArray() << date << QByteArray("1969-12-31 23:59:59");
        QTest::newRow("past 2106") << QByteArray() << date << QByteArray("2106-02-07 06:28:16");
        QTest::newRow("null") << QByteArray() << date << QByteArray();
    }
    void cellsReadBackAsStored()
    {
        QFETCH(QByteArray, first);
        QFETCH(int, column);
        QFETCH(QByteArray, stored);
        CatalogueRows rows, copy;
        const char *cells[CatalogueRows::SubItemCount] = {};
        int lengths[CatalogueRows::SubItemCount] = {};
        cells[FilesField::Size - 1] = first.isNull() ? nullptr : first.constData();
        lengths[FilesField::Size - 1] = int(first.size());
        rows.append(7, cells, lengths);
        cells[column - 1] = stored.isNull() ? nullptr : stored.constData();
        lengths[column - 1] = int(stored.size());
        rows.append(8, cells, lengths);
        rows.append(qint64(1) << 33, cells, lengths); // the same again, and an ID past 32 bits
        for (size_t row = 0; row < 3; ++row)
            copy.appendFrom(rows, row);
        copy.drop({true, false, false});
        CatalogueRows whole; // parts taken in whole, one after the other
        whole.appendAll(rows);
        whole.appendAll(rows);
        CatalogueRows mixed; // a part taken in after sizes grouped otherwise
        const char *grouped[CatalogueRows::SubItemCount] = {};
        int groupedLengths[CatalogueRows::SubItemCount] = {};
        grouped[FilesField::Size - 1] = "9.999";
        groupedLengths[FilesField::Size - 1] = 5;
        mixed.append(1, grouped, groupedLengths);
        mixed.appendAll(rows);
        for (const auto &[held, row] :
             {std::pair(&rows, size_t(1)), std::pair(&rows, size_t(2)), std::pair(&copy, size_t(0)),
              std::pair(&copy, size_t(1)), std::pair(&whole, size_t(4)),
              std::pair(&whole, size_t(5)), std::pair(&mixed, size_t(2)),
              std::pair(&mixed, size_t(3))}) {
            const auto [data, length] = held->cell(row, column);
            QCOMPARE(QByteArray(data, length), stored.isNull() ? QByteArray("") : stored);
            if (column == FilesField::Size)
                QCOMPARE(held->sizeValue(row),
                         FileRow::sizeValue(stored.constData(), int(stored.size())));
            else
                QCOMPARE(held->moment(row, column), StoredDate::parse(stored).moment());
        }
        QVERIFY(rows.sharesCellAbove(2, column));
        QCOMPARE(rows.id(0), 7);
        QCOMPARE(copy.id(1), qint64(1) << 33);
        QCOMPARE(whole.id(5), qint64(1) << 33);
    }

    // Find's byte total: a size that reads as no number adds nothing.
    void countAddsReadableSizes()
    {
        HeldRows held;
        held.begin({"ID", "File", "Size"});
        for (const char *size : {"1,234", "n/a", "10"}) {
            const RowCell cells[] = {{nullptr, 0}, {"f", 1}, {size, int(strlen(size))}};
            held.row(1, cells);
        }
        HeldRows::FindTotal total;
        QVERIFY(held.countMatching(FindQuery::parse("f"), nullptr, total));
        QCOMPARE(total.files, 3);
        QCOMPARE(total.bytes, 1244);
    }

    // Rows dropped, a few (moved up in place) or most (their memory goes): the rest keep their
    // cells, names, kind and order.
    void drop_data()
    {
        QTest::addColumn<int>("sortColumn"); // -1: the order held
        QTest::addColumn<std::vector<quint32>>("dropped");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("kinds"); // of the rows kept, as held: f file, m member
        QTest::addColumn<std::vector<quint32>>("withE"); // rows kept whose names hold an e
        QTest::newRow("most") << -1 << std::vector<quint32>{0, 2, 3, 5}
                              << QStringList({"tenk", "Member"}) << "fm"
                              << std::vector<quint32>{0, 1};
        QTest::newRow("a few") << -1 << std::vector<quint32>{1, 4}
                               << QStringList({"nine", "zero", "K", "amember"}) << "fffm"
                               << std::vector<quint32>{0, 1, 3};
        QTest::newRow("a few, sorted") << int(FilesField::File) << std::vector<quint32>{1, 4}
                                       << QStringList({"amember", "K", "nine", "zero"}) << "fffm"
                                       << std::vector<quint32>{0, 1, 3};
    }
    void drop()
    {
        QFETCH(int, sortColumn);
        QFETCH(std::vector<quint32>, dropped);
        HeldRows held;
        fill(held);
        if (sortColumn >= 0)
            held.sort(sortColumn, false);
        held.drop(dropped);
        QTEST(shown(held), "shown");
        QString kinds;
        for (size_t row = 0; row < held.rows().size(); ++row)
            kinds += held.rows().isMember(row) ? 'm' : 'f';
        QTEST(kinds, "kinds");
        QTEST(held.searchNames("E"), "withE");
    }
};

QTEST_GUILESS_MAIN(TestHeldRows)
#include "tst_heldrows.moc"
