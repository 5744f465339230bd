#include "catalogue/heldrows.h"

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
            const RowCell cells[] = {{nullptr, 0}, {"/d", 2}, {f[0], int(strlen(f[0]))},
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
        QTest::newRow("size by value") << int(FilesField::Size)
                                       << QStringList({"zero", "Member", "amember", "nine", "K",
                                                       "tenk"});
        QTest::newRow("date by value") << int(FilesField::Created)
                                       << QStringList({"zero", "Member", "amember", "K", "tenk",
                                                       "nine"});
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
