#include "catalogue/search.h"
#include "platform/mousepointer.h"
#include "platform/recordset.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "support/testcatalogue.h"
#include "window/workspace.h"

#include <QtTest>

#include <sqlite3.h>

// The search button against a real catalogue, with its name index, one made when the catalogue
// opens, none at all, and one that cannot be written: all must answer alike.
class TestSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void search_data();
    void search();
};

namespace {
enum Mode { EmptyTable = -1, SchemaIndex, IndexMadeAtLoad, NoIndex, ReadOnly, EngineFailure };
const char DropIndex[] =
    "DROP TRIGGER FilesNameUpdate; DROP TABLE FilesNameState; DROP TABLE FilesName;";
} // namespace

void TestSearch::search_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // empty: a message, the full view comes back

    // Ordered by folded characters: case does not count, accented letters follow ASCII.
    const QStringList all = {" padded .txt",     "100%.txt",   "a_b.txt",   "axb.txt",  "it's.txt",
                             "report-final.doc", "Report.txt", "école.pdf", "ÉCOLE.txt"};
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
        row("% inside the text") << "0%.t" << QStringList{"100%.txt"};
        row("_ matches one character, short runs") << "a_b" << QStringList{"a_b.txt", "axb.txt"};
        row("_ matches one character, long run") << "a_b.t" << QStringList{"a_b.txt", "axb.txt"};
        row("blanks around the text are kept") << " padded " << QStringList{" padded .txt"};
        row("blanks that are not there") << "padded  " << QStringList();
        row("non-ASCII case is ignored") << "ÉCOLE" << QStringList{"école.pdf", "ÉCOLE.txt"};
        row("non-ASCII short text") << "é" << QStringList{"école.pdf", "ÉCOLE.txt"};
        row("10,000 characters") << QString(10000, QLatin1Char('x')) << QStringList();
        row("statement text is no statement") << "') OR 1=1 --" << QStringList();
    }
}

void TestSearch::search()
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
    Workspace workspace(pointer);
    workspace.Form_Load();
    // Added, deleted and renamed after the index took the names: none may mislead a search.
    if (mode != EmptyTable)
        catalogue.addRow("/media/cd/Docs", "ÉCOLE.txt");
    catalogue.exec("DELETE FROM Files WHERE File = 'report-gone.txt'");
    catalogue.exec("UPDATE Files SET File = 'it''s.txt' WHERE File = 'it''s.tmp'");
    if (mode == NoIndex)
        catalogue.exec(DropIndex);
    if (mode == ReadOnly) // the index cannot take in the added row
        sqlite3_exec(workspace.cnCatalogue.handle(), "PRAGMA query_only = 1", nullptr, nullptr,
                     nullptr);
    if (mode == EngineFailure) // the index is there but unreadable
        catalogue.exec("DROP TABLE FilesName; CREATE TABLE FilesName (x);");

    QueuedDialogs boxes;
    boxes.queueInput(text);
    QString caption = SearchCaption;
    cmdSearch_Click(workspace, caption);

    QCOMPARE(boxes.shown.first().text,
             QStringLiteral("Please enter the string you would like to search for:"));
    QCOMPARE(pointer.mousePointer(), int(vbDefault));
    QCOMPARE(workspace.rsFiles.lockType(), int(adLockPessimistic));
    if (expected.isEmpty()) {
        QCOMPARE(boxes.messages().size(), 1);
        const QueuedDialogs::Shown box = boxes.messages()[0];
        if (mode == EngineFailure) {
            QVERIFY(box.text.startsWith("An error has occurred.\r\nError: "));
            QVERIFY(box.text.contains("\r\nDescription: "));
            QCOMPARE(box.title, QStringLiteral("Error"));
            QCOMPARE(box.flags, 16);
        } else {
            QCOMPARE(box.text, QStringLiteral("No results were found!"));
            QCOMPARE(box.title, QStringLiteral("Search results"));
            QCOMPARE(box.flags, 0);
        }
        QCOMPARE(caption, SearchCaption);
        QVERIFY(workspace.rsFiles.isOpen());
        QCOMPARE(workspace.rsFiles.source(), QStringLiteral("Files"));
        QCOMPARE(workspace.lvwFiles.count(), mode == EmptyTable ? 0 : 10);
    } else {
        QVERIFY(boxes.messages().isEmpty());
        QCOMPARE(caption, ShowAllCaption);
        QCOMPARE(TestCatalogue::listed(workspace.lvwFiles), expected);
        if (mode == ReadOnly)
            return;
        // A row added through the search recordset, as the indexer adds them, is in the full
        // view that "&Show All" brings back.
        workspace.rsFiles.AddNew();
        workspace.rsFiles.Fields("Path").setValue("/media/cd");
        workspace.rsFiles.Fields("File").setValue("added.txt");
        workspace.rsFiles.Update();
        cmdSearch_Click(workspace, caption);
        QCOMPARE(caption, SearchCaption);
        QCOMPARE(workspace.lvwFiles.count(), 11);
        QVERIFY(TestCatalogue::listed(workspace.lvwFiles).contains("added.txt"));
        QCOMPARE(workspace.rsFiles.lockType(), int(adLockPessimistic));
        QCOMPARE(boxes.shown.size(), 1); // the one input box, no message
    }
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
