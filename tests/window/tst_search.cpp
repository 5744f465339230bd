#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "window/main/searchcommand.h"

#include <QtTest>

#include <sqlite3.h>

enum Mode { EmptyTable = -1, Schema, OldIndex, NoRenameNotes, NamesNotHeld, EngineFailure };
// The on-disk name index that earlier versions kept beside Files.
const char OldNameIndex[] =
    "CREATE VIRTUAL TABLE FilesName USING fts5(File, content='', columnsize=0, "
    "tokenize='trigram'); CREATE TABLE FilesNameState (Indexed INTEGER NOT NULL); "
    "INSERT INTO FilesNameState VALUES (0);";

// Every named row, ordered by folded characters: case does not count, accents follow ASCII.
const QStringList all = {" padded .txt",     "100%.txt",   "a_b.txt",   "axb.txt",  "it's.txt",
                         "report-final.doc", "Report.txt", "école.pdf", "ÉCOLE.txt"};

// The rows of the view open, read again.
qint64 viewRows(Catalogue &catalogue)
{
    struct Counter : RowSink
    {
        qint64 rows = 0;
        void begin(const std::vector<QString> &) override {}
        void row(qint64, const RowCell *) override { ++rows; }
    } counter;
    catalogue.requery(&counter);
    return counter.rows;
}

// The search button on a catalogue as made today, one with the name index of earlier versions
// (dropped at load), an older one without the notes of renamed rows (made at load), and without
// the names held in memory (every row read).
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
        QTest::newRow("engine failure")
            << int(EngineFailure) << QString(1100, 'x') << QStringList();
        const char *modes[] = {"schema", "old name index", "no rename notes", "names not held"};
        for (int mode : {Schema, OldIndex, NoRenameNotes, NamesNotHeld}) {
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
        if (mode == OldIndex)
            catalogue.exec(OldNameIndex);
        if (mode == NoRenameNotes)
            catalogue.exec("DROP TRIGGER FilesNameUpdate; DROP TRIGGER FilesNameReused; "
                           "DROP TABLE FilesNameChanged;");
        LoadedCatalogue loaded;
        if (mode == NamesNotHeld) // opened, never listed whole
            loaded.catalogue.open(catalogue.folder() + "/data.mdb");
        else
            loaded.Form_Load(catalogue.folder());
        SearchCommand command(loaded.catalogue, loaded.list);
        // Added, deleted and renamed by another program after the names were read: none may
        // mislead a search.
        if (mode != EmptyTable)
            catalogue.addRow("/media/cd/Docs", "ÉCOLE.txt");
        catalogue.exec("DELETE FROM Files WHERE File = 'report-gone.txt'");
        catalogue.exec("UPDATE Files SET File = 'it''s.txt' WHERE File = 'it''s.tmp'");
        if (mode == EngineFailure) // the engine refuses a text that long, never the rows
            sqlite3_limit(loaded.catalogue.cnCatalogue().handle(), SQLITE_LIMIT_LENGTH, 1000);

        QueuedBoxes boxes;
        boxes.queueInput(text);
        if (expected.isEmpty())
            boxes.queueAnswer(BoxAnswer::Ok);
        command.cmdSearch_Click();

        QCOMPARE(boxes.shown().first().text,
                 "Please enter the string you would like to search for:");
        QCOMPARE(loaded.list.view().kind(),
                 expected.isEmpty() ? ListView::WholeCatalogue : ListView::Search);
        QCOMPARE(boxes.messages().size(), expected.isEmpty() ? 1 : 0);
        if (expected.isEmpty()) {
            const MessageBox::Shown box = boxes.messages()[0];
            QCOMPARE(box.title + " " + look(box),
                     mode == EngineFailure ? "Error OK stop" : "Search results OK");
            if (mode == EngineFailure)
                QVERIFY(box.text.startsWith("An error has occurred.\r\nError: ") &&
                        box.text.contains("\r\nDescription: "));
            else
                QCOMPARE(box.text, QStringLiteral("No results were found!"));
            QVERIFY(loaded.catalogue.isFullView());
            QCOMPARE(loaded.list.count(), mode == EmptyTable ? 0 : 10);
        } else {
            QCOMPARE(TestCatalogue::listed(loaded.list), expected);
            // The old index went at load, in one piece.
            sqlite3_stmt *old = nullptr;
            QCOMPARE(sqlite3_prepare_v2(loaded.catalogue.cnCatalogue().handle(),
                                        "SELECT group_concat(name) FROM (SELECT name FROM "
                                        "sqlite_master WHERE name LIKE 'FilesName%' ORDER BY 1)",
                                        -1, &old, nullptr),
                     SQLITE_OK);
            QCOMPARE(sqlite3_step(old), SQLITE_ROW);
            QCOMPARE(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(old, 0))),
                     "FilesNameChanged,FilesNameReused,FilesNameUpdate");
            sqlite3_finalize(old);
            // "&Show All" brings back the full view with a row added since.
            QCOMPARE(
                sqlite3_exec(loaded.catalogue.cnCatalogue().handle(),
                             "INSERT INTO Files (Path, File) VALUES ('/media/cd', 'added.txt')",
                             nullptr, nullptr, nullptr),
                SQLITE_OK);
            command.cmdSearch_Click();
            QCOMPARE(loaded.list.view().kind(), ListView::WholeCatalogue);
            QCOMPARE(loaded.list.count(), 11);
            QVERIFY(TestCatalogue::listed(loaded.list).contains("added.txt"));
        }
    }

    // _ takes one character of the stored name, however long its folded form, case ignored.
    void underscoreIsOneCharacter_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("sharp s") << QByteArray("Straße.txt") << "stra_e" << true;
        QTest::newRow("sharp s, other case") << QByteArray("Straße.txt") << "STRA_E." << true;
        QTest::newRow("sharp s is one") << QByteArray("Straße.txt") << "stra__e" << false;
        QTest::newRow("ss is two") << QByteArray("STRASSE.txt") << "stra_e" << false;
        QTest::newRow("ss, two of them") << QByteArray("STRASSE.txt") << "stra__e" << true;
        QTest::newRow("ligature") << QByteArray("ﬁle.txt") << "_le." << true;
        QTest::newRow("half a ligature") << QByteArray("ﬁle.txt") << "f_le" << false;
        QTest::newRow("dotted capital I") << QByteArray("İstanbul") << "_stanbul" << true;
        QTest::newRow("a byte that is not UTF-8") << QByteArray("caf\xff.txt") << "caf_." << true;
    }
    void underscoreIsOneCharacter()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, text);
        QFETCH(bool, found);
        CatalogueFixture catalogue;
        catalogue.addRow("/media/cd", "other.txt");
        catalogue.exec("INSERT INTO Files (Path, File) VALUES ('/media/cd', CAST(X'" +
                       QString::fromLatin1(name.toHex()) + "' AS TEXT))");
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        loaded.catalogue.openSearchView(text);
        QCOMPARE(viewRows(loaded.catalogue), found ? 1 : 0);
    }

    // Another program reuses an ID the rows held have, or renames a row: a search answered from
    // the names held reads it all the same.
    void reusedIds_data()
    {
        QTest::addColumn<QString>("after");
        QTest::newRow("replaced") << "INSERT OR REPLACE INTO Files (ID, File) VALUES (2, 'zebra')";
        QTest::newRow("deleted, inserted again")
            << "DELETE FROM Files WHERE ID = 3; INSERT INTO Files (ID, File) VALUES (3, 'zebra')";
        QTest::newRow("renamed") << "UPDATE Files SET File = 'zebra' WHERE ID = 1";
        QTest::newRow("new") << "INSERT INTO Files (ID, File) VALUES (9, 'zebra')";
    }
    void reusedIds()
    {
        QFETCH(QString, after);
        CatalogueFixture catalogue;
        for (const char *file : {"a.txt", "b.txt", "c.txt", "d.txt"})
            catalogue.addRow("/media/cd", file);
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        catalogue.exec(after);
        QVERIFY(!loaded.list.holdsWholeCatalogue());
        loaded.list.openView(ListView::search("ZEBRA"));
        QCOMPARE(viewRows(loaded.catalogue), 1);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
