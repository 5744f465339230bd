#include "support/contextmenu.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/frmmain.h"

#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <sqlite3.h>

// Show Duplicates from the list's menu, and the way back to the full view.
class TestDuplicates : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void duplicates_data()
    {
        QTest::addColumn<QStringList>("rows");     // File|Size|Archive|Serial
        QTest::addColumn<QStringList>("expected"); // File|Archive|Serial; empty: none found

        const QString a = "|1,234|DISC1|AAAA-0001", b = "|1,234|DISC2|BBBB-0002";
        QTest::newRow("same name and size on two discs")
            << QStringList{"a.txt" + a, "a.txt" + b, "b.txt" + a}
            << QStringList{"a.txt|DISC1|AAAA-0001", "a.txt|DISC2|BBBB-0002"};
        QTest::newRow("twice on one disc is no duplicate")
            << QStringList{"a.txt" + a, "a.txt" + a} << QStringList{};
        QTest::newRow("other size")
            << QStringList{"a.txt" + a, "a.txt|1,235|DISC2|BBBB-0002"} << QStringList{};
        QTest::newRow("same label, other serial")
            << QStringList{"a.txt" + a, "a.txt|1,234|DISC1|CCCC-0003"}
            << QStringList{"a.txt|DISC1|AAAA-0001", "a.txt|DISC1|CCCC-0003"};
        QTest::newRow("case and folding ignored, separators too")
            << QStringList{"Straße.TXT" + a, "STRASSE.txt|1.234|DISC2|BBBB-0002"}
            << QStringList{"Straße.TXT|DISC1|AAAA-0001", "STRASSE.txt|DISC2|BBBB-0002"};
        QTest::newRow("ordered by name, size, then disc")
            << QStringList{"b.txt|20|D2|S", "B.TXT|3|D1|S",  "a.txt|5|D2|S", "b.txt|3|D2|S",
                           "A.txt|5|D1|S",  "b.txt|20|D1|S", "c.txt|5|D1|S", "b.txt|3|D1|S"}
            << QStringList{"A.txt|D1|S", "a.txt|D2|S", "B.TXT|D1|S", "b.txt|D1|S",
                           "b.txt|D2|S", "b.txt|D1|S", "b.txt|D2|S"};
    }
    void duplicates()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, expected);

        CatalogueFixture catalogue;
        for (const QString &row : rows) {
            const QStringList f = row.split('|');
            catalogue.exec(QString("INSERT INTO Files (Path, File, Size, Archive, Serial) VALUES "
                                   "('/media/cd', '%1', '%2', '%3', '%4')")
                               .arg(f[0], f[1], f[2], f[3]));
        }
        frmMain window(testServices(catalogue.folder()));
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *view = window.findChild<QTableView *>("lvwFiles");
        auto *search = window.findChild<QPushButton *>("cmdSearch");
        QueuedBoxes boxes;
        if (expected.isEmpty())
            boxes.queueAnswer(vbOK);

        ContextMenu::choose(view, -1, "Show Duplicates");

        QStringList listed;
        for (int row = 0; row < window.list().count(); ++row)
            listed << QStringList{window.list().text(row, 2), window.list().text(row, 8),
                                  window.list().text(row, 9)}
                          .join('|');
        if (expected.isEmpty()) {
            QCOMPARE(boxes.messages().size(), 1);
            const MessageBox::Shown box = boxes.messages()[0];
            QCOMPARE(QString("%1|%2|%3").arg(box.title, box.text).arg(box.flags),
                     "Duplicates|No duplicates were found!|0");
            QCOMPARE(search->text(), "&Search");
            QCOMPARE(listed.size(), rows.size());
            return;
        }
        QCOMPARE(listed, expected);
        QCOMPARE(search->text(), "&Show All");
        QCOMPARE(window.mousePointer(), int(vbDefault));
        // Removing a copy leaves the others of the view; "&Show All" brings back every row.
        TestCatalogue::select(window.list(), 0);
        window.cmdRemove_Click();
        QCOMPARE(window.list().count(), expected.size() - 1);
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(search->text(), "&Search");
        QCOMPARE(window.list().count(), rows.size() - 1);
        QCOMPARE(catalogue.files().size(), rows.size() - 1);
    }

    void failure()
    {
        // A connection that may not write even its own temporary tables.
        CatalogueFixture catalogue;
        catalogue.addRow("/media/cd", "a.txt", "ONE");
        catalogue.addRow("/media/cd", "a.txt", "TWO");
        frmMain window(testServices(catalogue.folder()));
        window.Form_Load();
        sqlite3_exec(window.catalogue().cnCatalogue().handle(), "PRAGMA query_only = 1", {}, {},
                     {});
        QueuedBoxes boxes;
        boxes.queueAnswer(vbOK);
        window.mnuShowDuplicates_Click();
        QCOMPARE(boxes.messages().size(), 1);
        QVERIFY(boxes.messages()[0].text.startsWith("An error has occurred.\r\nError: "));
        QCOMPARE(window.catalogue().rsFiles().source(), "Files");
        QCOMPARE(window.list().count(), 2);
    }
};

QTEST_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
