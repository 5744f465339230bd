#include "catalogue/searchindex.h"
#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "window/mousepointer.h"
#include "window/searchcommand.h"

#include <QtTest>

#include <sqlite3.h>

enum Mode { EmptyTable = -1, SchemaIndex, IndexMadeAtLoad, NoIndex, ReadOnly, EngineFailure };
const char DropIndex[] =
    "DROP TRIGGER FilesNameUpdate; DROP TABLE FilesNameState; DROP TABLE FilesName;";

// Every named row, ordered by folded characters: case does not count, accents follow ASCII.
const QStringList all = {" padded .txt",     "100%.txt",   "a_b.txt",   "axb.txt",  "it's.txt",
                         "report-final.doc", "Report.txt", "école.pdf", "ÉCOLE.txt"};

// The search button with the name index from the schema, made at loading, absent or unwritable.
class TestSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void search_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected"); // empty: a message, the full view comes back

        QTest::newRow("empty table, empty text") << int(EmptyTable) << "" << QStringList();
        QTest::newRow("engine failure") << int(EngineFailure) << "port" << QStringList();
        const char *modes[] = {"schema index", "index made at load", "no index", "read-only"};
        for (int mode : {SchemaIndex, IndexMadeAtLoad, NoIndex, ReadOnly}) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", modes[mode], name) << mode;
            };
            row("part of the name") << "port" << QStringList{"report-final.doc", "Report.txt"};
            row("no match") << "zzz" << QStringList();
            row("empty text shows every named row") << "" << all;
            row("a quote is a character") << "it's" << QStringList{"it's.txt"};
            row("% matches any run") << "%" << all;
            row("_ matches one character") << "a_b" << QStringList{"a_b.txt", "axb.txt"};
            row("blanks around the text are kept") << " padded " << QStringList{" padded .txt"};
            row("non-ASCII case is ignored") << "ÉCOLE" << QStringList{"école.pdf", "ÉCOLE.txt"};
            // Too short for the index: found among the names held in memory where there are.
            row("one character") << "É" << QStringList{"école.pdf", "ÉCOLE.txt"};
            row("two characters, a renamed row") << "'S" << QStringList{"it's.txt"};
            row("a short run in a pattern") << "0_%x" << QStringList{"100%.txt"};
        }
    }

    void search()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);

        CatalogueFixture catalogue;
        const QStringList files = {"Report.txt", "report-final.doc", "école.pdf", "it's.tmp",
                                   "100%.txt",   "a_b.txt",          "axb.txt",   " padded .txt",
                                   QString(),    "report-gone.txt"}; // one row without a name
        for (const QString &file : mode == EmptyTable ? QStringList() : files)
            catalogue.addRow("/media/cd/Docs", file);
        if (mode == IndexMadeAtLoad)
            catalogue.exec(DropIndex);
        RecordedPointer pointer;
        LoadedCatalogue loaded(pointer);
        loaded.Form_Load(catalogue.folder());
        SearchCommand command(loaded.catalogue, loaded.list, pointer);
        // Added, deleted and renamed after the index took the names: none may mislead a search.
        if (mode != EmptyTable)
            catalogue.addRow("/media/cd/Docs", "ÉCOLE.txt");
        catalogue.exec("DELETE FROM Files WHERE File = 'report-gone.txt'");
        catalogue.exec("UPDATE Files SET File = 'it''s.txt' WHERE File = 'it''s.tmp'");
        if (mode == NoIndex)
            catalogue.exec(DropIndex);
        if (mode == ReadOnly) // the index cannot take in the added row
            sqlite3_exec(loaded.catalogue.cnCatalogue().handle(), "PRAGMA query_only = 1", {}, {},
                         {});
        if (mode == EngineFailure) // the index is there but unreadable
            catalogue.exec("DROP TABLE FilesName; CREATE TABLE FilesName (x);");

        QueuedBoxes boxes;
        boxes.queueInput(text);
        if (expected.isEmpty())
            boxes.queueAnswer(vbOK);
        QString caption = SearchCaption;
        command.cmdSearch_Click(caption);

        QCOMPARE(boxes.shown().first().text,
                 "Please enter the string you would like to search for:");
        QCOMPARE(pointer.mousePointer(), int(vbDefault));
        QCOMPARE(caption, expected.isEmpty() ? SearchCaption : ShowAllCaption);
        QCOMPARE(boxes.messages().size(), expected.isEmpty() ? 1 : 0);
        if (expected.isEmpty()) {
            const MessageBox::Shown box = boxes.messages()[0];
            QCOMPARE(QString("%1 %2").arg(box.title).arg(box.flags),
                     mode == EngineFailure ? "Error 16" : "Search results 0");
            if (mode == EngineFailure)
                QVERIFY(box.text.startsWith("An error has occurred.\r\nError: ") &&
                        box.text.contains("\r\nDescription: "));
            else
                QCOMPARE(box.text, QStringLiteral("No results were found!"));
            QVERIFY(loaded.catalogue.rsFiles().isOpen());
            QCOMPARE(loaded.catalogue.rsFiles().source(), QStringLiteral("Files"));
            QCOMPARE(loaded.list.count(), mode == EmptyTable ? 0 : 10);
        } else {
            QCOMPARE(TestCatalogue::listed(loaded.list), expected);
            if (mode == ReadOnly)
                return;
            // "&Show All" brings back the full view with a row added since.
            QCOMPARE(
                sqlite3_exec(loaded.catalogue.cnCatalogue().handle(),
                             "INSERT INTO Files (Path, File) VALUES ('/media/cd', 'added.txt')",
                             nullptr, nullptr, nullptr),
                SQLITE_OK);
            command.cmdSearch_Click(caption);
            QCOMPARE(caption, SearchCaption);
            QCOMPARE(loaded.list.count(), 11);
            QVERIFY(TestCatalogue::listed(loaded.list).contains("added.txt"));
        }
    }

    // The indexer takes its rows' names in before each group's commit; a group rolled back
    // takes its names with it, though the engine gives its IDs to the next rows.
    void namesTakenInWithTheirRows()
    {
        CatalogueFixture catalogue;
        catalogue.addRow("/media/cd", "first.txt");
        RecordedPointer pointer;
        LoadedCatalogue loaded(pointer);
        loaded.Form_Load(catalogue.folder());
        Catalogue &c = loaded.catalogue;
        sqlite3 *db = c.cnCatalogue().handle();
        auto addInGroup = [&](const QStringList &files, const char *end) {
            QCOMPARE(sqlite3_exec(db, "BEGIN", {}, {}, {}), SQLITE_OK);
            for (const QString &file : files)
                QCOMPARE(
                    sqlite3_exec(db, qPrintable("INSERT INTO Files (File) VALUES ('" + file + "')"),
                                 {}, {}, {}),
                    SQLITE_OK);
            QVERIFY(c.takeInNewNames());
            QCOMPARE(sqlite3_exec(db, end, {}, {}, {}), SQLITE_OK);
        };
        addInGroup({"gone.txt"}, "ROLLBACK");
        addInGroup({"qx.txt", "qy.txt"}, "COMMIT");
        QCOMPARE(SearchIndex::indexedUpTo(db), 3); // the rolled-back row's ID, given again
        for (const char *text : {"Q", "gone", "go"}) {
            c.openSearchView(QString::fromUtf8(text));
            QCOMPARE(c.rsFiles().RecordCount(), text[0] == 'Q' ? 2 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
