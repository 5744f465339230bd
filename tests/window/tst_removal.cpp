#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "window/mousepointer.h"
#include "window/removecommand.h"
#include "window/searchcommand.h"

#include <QtTest>

#include <sqlite3.h>

class TestRemoval : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void remove_data()
    {
        QTest::addColumn<QString>("search");    // empty: the full view
        QTest::addColumn<QString>("selected");  // files whose list entries are selected
        QTest::addColumn<QString>("before");    // statements run before the removal
        QTest::addColumn<QString>("remaining"); // in the table afterwards
        QTest::addColumn<bool>("errorShown");

        const auto row = [](const char *name, QString search, QString selected, QString before,
                            QString remaining, bool errorShown = false) {
            QTest::newRow(name) << search << selected << before << remaining << errorShown;
        };
        row("several", "", "alpha gamma epsilon", "", "beta delta");
        row("row gone", "", "beta delta", "DELETE FROM Files WHERE ID=2", "alpha gamma epsilon");
        row("in the search view", "ta", "beta", "", "alpha gamma delta epsilon");
        row("read-only", "", "alpha gamma", "read-only", "alpha beta gamma delta epsilon", true);
        // All of the selected rows or none.
        row("a deletion fails midway", "", "alpha gamma epsilon",
            "CREATE TRIGGER t DELETE ON Files WHEN old.ID = 3 BEGIN SELECT RAISE(ABORT, 'x'); END",
            "alpha beta gamma delta epsilon", true);
        row("another program holds the write lock", "", "alpha gamma epsilon", "locked",
            "alpha beta gamma delta epsilon", true);
    }

    void remove()
    {
        QFETCH(QString, search);
        QFETCH(QString, selected);
        QFETCH(QString, before);
        QFETCH(QString, remaining);
        QFETCH(bool, errorShown);

        CatalogueFixture catalogue;
        for (const QString &file : QStringList{"alpha", "beta", "gamma", "delta", "epsilon"})
            catalogue.addRow("/media/cd", file);
        RecordedPointer pointer;
        LoadedCatalogue loaded(pointer);
        loaded.Form_Load(catalogue.folder());
        QueuedBoxes boxes;
        if (!search.isEmpty()) {
            boxes.queueInput(search);
            SearchCommand(loaded.catalogue, loaded.list, pointer).cmdSearch_Click();
        }
        for (int row = 0; row < loaded.list.count(); ++row)
            if (selected.split(' ').contains(loaded.list.text(row, 2)))
                TestCatalogue::select(loaded.list, row, true);
        sqlite3 *db = loaded.catalogue.cnCatalogue().handle();
        if (before == "read-only") {
            sqlite3_exec(db, "PRAGMA query_only = 1", {}, {}, {});
        } else if (before == "locked") {
            catalogue.exec("PRAGMA journal_mode=WAL; BEGIN IMMEDIATE");
            sqlite3_busy_timeout(db, 50);
        } else if (!before.isEmpty())
            catalogue.exec(before);

        if (errorShown)
            boxes.queueAnswer(vbOK);
        RemoveCommand(loaded.catalogue, loaded.list, pointer).cmdRemove_Click();

        if (before == "locked")
            catalogue.exec("COMMIT");
        QCOMPARE(catalogue.files().join(' '), remaining);
        QCOMPARE(boxes.messages().size(), errorShown ? 1 : 0);
        for (const MessageBox::Shown &box : boxes.messages())
            QVERIFY(box.title == "Error" && box.flags == 16 &&
                    box.text.contains("\r\nDescription: ") &&
                    box.text.startsWith("An error has occurred.\r\nError: "));
        // The list is refilled from the same view (the search's, here "ta"), whatever happened.
        QCOMPARE(TestCatalogue::listed(loaded.list), remaining.split(' ').filter(search));
        QCOMPARE(pointer.mousePointer(), int(vbDefault));
    }
};

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
