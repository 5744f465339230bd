#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "platform/statement.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/removecommand.h"
#include "window/main/searchcommand.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

void addFourRows(CatalogueFixture &catalogue)
{
    for (const QString &file : QStringList{"alpha", "beta", "gamma", "delta"})
        catalogue.addRow("/media/cd", file);
}

} // namespace

class TestRemoval : public QObject
{
    Q_OBJECT
    QStringList m_before;

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
        // Fields of every kind another program may write: numbers, blobs, no value.
        catalogue.exec("UPDATE Files SET Size = '1,024', Created = CASE ID WHEN 1 THEN 43000.5 "
                       "WHEN 2 THEN x'00ff' WHEN 3 THEN '2001-02-03 04:05:06' END");
        m_before = TestCatalogue::rows(QDir(catalogue.folder()).filePath("data.mdb"),
                                       "ID, File, Size, Archive, typeof(Created), quote(Created)");
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        QueuedBoxes boxes;
        if (!search.isEmpty()) {
            boxes.queueInput(search);
            SearchCommand(loaded.catalogue, loaded.list).cmdSearch_Click();
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
            boxes.queueAnswer(BoxAnswer::Ok);
        RemoveCommand(loaded.catalogue, loaded.list).cmdRemove_Click();

        if (before == "locked")
            catalogue.exec("COMMIT");
        QCOMPARE(catalogue.files().join(' '), remaining);
        QCOMPARE(boxes.messages().size(), errorShown ? 1 : 0);
        for (const MessageBox::Shown &box : boxes.messages())
            QVERIFY(box.title == "Error" && look(box) == "OK stop" &&
                    box.text.contains("\r\nDescription: ") &&
                    box.text.startsWith("An error has occurred.\r\nError: "));
        // The list is refilled from the same view (the search's, here "ta"), whatever happened.
        QCOMPARE(TestCatalogue::listed(loaded.list), remaining.split(' ').filter(search));

        // Undo puts back the rows removed, with their IDs and every field; a failed removal
        // left nothing to put back.
        const QString file = QDir(catalogue.folder()).filePath("data.mdb");
        if (before == "read-only")
            sqlite3_exec(db, "PRAGMA query_only = 0", {}, {}, {});
        RemoveCommand undo(loaded.catalogue, loaded.list);
        QCOMPARE(undo.undoRemove() > 0, !errorShown);
        if (before.startsWith("DELETE"))
            return;
        QCOMPARE(
            TestCatalogue::rows(file, "ID, File, Size, Archive, typeof(Created), quote(Created)"),
            m_before);
        QCOMPARE(catalogue.files().join(' '), "alpha beta gamma delta epsilon");
        QCOMPARE(TestCatalogue::listed(loaded.list).size(),
                 search.isEmpty() ? 5 : catalogue.files().filter(search).size());
        QCOMPARE(undo.undoRemove(), 0); // once only
    }

    // Only the last removal comes back; one that fails keeps the one before; a row given the
    // same ID meanwhile stops the whole undo, which can be tried again once it is gone.
    void undoTheLastRemoval()
    {
        CatalogueFixture catalogue;
        addFourRows(catalogue);
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        RemoveCommand command(loaded.catalogue, loaded.list);
        const auto removeFile = [&](const QString &name) {
            loaded.list.selectionModel()->clearSelection();
            TestCatalogue::select(loaded.list, TestCatalogue::listed(loaded.list).indexOf(name));
            command.cmdRemove_Click();
        };
        QueuedBoxes boxes;
        const auto failingRemoval = [&](const QString &name) {
            boxes.queueAnswer(BoxAnswer::Ok);
            catalogue.exec("CREATE TRIGGER t BEFORE DELETE ON Files BEGIN "
                           "SELECT RAISE(ABORT, 'x'); END");
            removeFile(name);
            catalogue.exec("DROP TRIGGER t");
        };
        const auto cacheSize = [&] {
            return Statement::scalar(loaded.catalogue.cnCatalogue(), "PRAGMA cache_size");
        };
        const qint64 cacheBefore = cacheSize();
        failingRemoval("delta"); // the first of all: the next ones are kept all the same
        removeFile("alpha");
        removeFile("beta");
        failingRemoval("gamma");
        loaded.list.selectionModel()->clearSelection();
        command.cmdRemove_Click(); // nothing selected: keeps what can be put back
        QCOMPARE(loaded.catalogue.removedCount(), 1);
        catalogue.exec("INSERT INTO Files (ID, File) VALUES (2, 'other')");
        boxes.queueAnswer(BoxAnswer::Ok);
        QCOMPARE(command.undoRemove(), 0);
        QCOMPARE(boxes.messages().size(), 3);
        catalogue.exec("DELETE FROM Files WHERE ID = 2");
        QCOMPARE(command.undoRemove(), 1);
        QCOMPARE(catalogue.files().join(' '), "beta gamma delta");
        QCOMPARE(cacheSize(), cacheBefore); // the larger cache of a removal is given back
    }

    // Show All and a removal answer from the rows held, which follow what another program
    // writes; Find's scan of names passes over the rows removed.
    void heldRowsFollowTheFile()
    {
        CatalogueFixture catalogue;
        addFourRows(catalogue);
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        QueuedBoxes boxes;
        SearchCommand search(loaded.catalogue, loaded.list);
        const auto searchFor = [&](const QString &text) {
            boxes.queueInput(text);
            search.cmdSearch_Click();
            return TestCatalogue::listed(loaded.list).join(' ');
        };
        const auto find = [&](const char *text) {
            CatalogueListModel::FindTotal total;
            loaded.list.model()->countMatching(FindQuery::parse(text), nullptr, total);
            return total.files;
        };
        QCOMPARE(searchFor("ta"), "beta delta");
        search.cmdSearch_Click(); // Show All
        QCOMPARE(TestCatalogue::listed(loaded.list).join(' '), "alpha beta gamma delta");
        QCOMPARE(searchFor("ta"), "beta delta");
        catalogue.exec("INSERT INTO Files (Path, File) VALUES ('/media/cd', 'zeta')");
        search.cmdSearch_Click();
        QCOMPARE(TestCatalogue::listed(loaded.list).join(' '), "alpha beta gamma delta zeta");
        QVERIFY(loaded.list.holdsWholeCatalogue());

        TestCatalogue::select(loaded.list, 1); // beta
        RemoveCommand(loaded.catalogue, loaded.list).cmdRemove_Click();
        QCOMPARE(TestCatalogue::listed(loaded.list).join(' '), "alpha gamma delta zeta");
        QCOMPARE(find("eta -alpha"), 1);
        QCOMPARE(find("-eta"), 3);
        catalogue.exec("INSERT INTO Files (Path, File) VALUES ('/media/cd', 'eta')");
        TestCatalogue::select(loaded.list, 0); // alpha
        RemoveCommand(loaded.catalogue, loaded.list).cmdRemove_Click();
        QCOMPARE(TestCatalogue::listed(loaded.list).join(' '), "gamma delta zeta eta");
        QCOMPARE(find("eta"), 2);
    }
};

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
