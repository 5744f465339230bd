#include "catalogue/search.h"
#include "platform/mousepointer.h"
#include "platform/recordset.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "support/testcatalogue.h"
#include "window/workspace.h"

#include <QtTest>

#include <sqlite3.h>

namespace {
enum IndexMode { SchemaIndex, IndexMadeAtLoad, NoIndex };

const char DropIndex[] =
    "DROP TRIGGER FilesNameUpdate; DROP TABLE FilesNameState; DROP TABLE FilesName;";

} // namespace

// The search button against a real catalogue, with its name index, one made when the catalogue
// opens, and none at all: the three must answer alike.
class TestSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void search_data();
    void search();
    void showAllBringsBackRowsAddedInTheSearchView();
    void failingSearchBringsBackTheFullView();
    void readOnlyCatalogueIsSearchedExactly();
};

void TestSearch::search_data()
{
    QTest::addColumn<int>("mode"); // -1: an empty table
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // empty: no results, the full view comes back

    // Ordered by folded characters: case does not count, accented letters follow ASCII.
    const QStringList all = {" padded .txt",     "100%.txt",   "a_b.txt",   "axb.txt",  "it's.txt",
                             "report-final.doc", "Report.txt", "école.pdf", "ÉCOLE.txt"};
    QTest::newRow("empty table, empty text") << -1 << "" << QStringList();
    const char *modes[] = {"schema index", "index made at load", "no index"};
    for (int mode : {SchemaIndex, IndexMadeAtLoad, NoIndex}) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QString("%1: %2").arg(modes[mode], name))) << mode;
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
    const QStringList files =
        {"Report.txt",   "report-final.doc", "ÉCOLE.txt",      "école.pdf",
         "it's.tmp",     "100%.txt",         "a_b.txt",        "axb.txt",
         " padded .txt", QString(),          "report-gone.txt"}; // one row without a name
    qint64 gone = 0;
    for (const QString &file : mode < 0 ? QStringList() : files)
        gone = catalogue.addRow("/media/cd/Docs", file);
    if (mode == IndexMadeAtLoad)
        catalogue.exec(DropIndex);
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    // Deleted after the index took its name, and renamed after: neither may mislead a search.
    catalogue.exec(QString("DELETE FROM Files WHERE ID = %1").arg(gone));
    catalogue.exec("UPDATE Files SET File = 'it''s.txt' WHERE File = 'it''s.tmp'");
    if (mode == NoIndex)
        catalogue.exec(DropIndex);

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
        QCOMPARE(boxes.messages()[0].text, QStringLiteral("No results were found!"));
        QCOMPARE(boxes.messages()[0].title, QStringLiteral("Search results"));
        QCOMPARE(boxes.messages()[0].flags, 0);
        QCOMPARE(caption, SearchCaption);
        QCOMPARE(workspace.lvwFiles.count(), mode < 0 ? 0 : 10);
        QCOMPARE(workspace.rsFiles.source(), QStringLiteral("Files"));
    } else {
        QVERIFY(boxes.messages().isEmpty());
        QCOMPARE(caption, ShowAllCaption);
        QCOMPARE(TestCatalogue::listed(workspace.lvwFiles), expected);
    }
}

void TestSearch::showAllBringsBackRowsAddedInTheSearchView()
{
    CatalogueFixture catalogue;
    catalogue.addRow("/media/cd", "alpha.txt");
    catalogue.addRow("/media/cd", "beta.txt");
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    QueuedDialogs boxes;
    boxes.queueInput("alp");
    QString caption = SearchCaption;
    cmdSearch_Click(workspace, caption);
    QCOMPARE(TestCatalogue::listed(workspace.lvwFiles), QStringList{"alpha.txt"});

    // Rows added through the search recordset, as the indexer adds them.
    for (const char *file : {"alpine.txt", "gamma.txt"}) {
        workspace.rsFiles.AddNew();
        workspace.rsFiles.Fields("Path").setValue("/media/cd");
        workspace.rsFiles.Fields("File").setValue(QString::fromLatin1(file));
        workspace.rsFiles.Update();
    }
    workspace.RefreshLv();
    QCOMPARE(TestCatalogue::listed(workspace.lvwFiles), (QStringList{"alpha.txt", "alpine.txt"}));

    cmdSearch_Click(workspace, caption);
    QCOMPARE(caption, SearchCaption);
    QStringList files = TestCatalogue::listed(workspace.lvwFiles);
    files.sort();
    QCOMPARE(files, (QStringList{"alpha.txt", "alpine.txt", "beta.txt", "gamma.txt"}));
    QCOMPARE(workspace.rsFiles.lockType(), int(adLockPessimistic));
    QCOMPARE(boxes.shown.size(), 1); // the one input box, no message
}

void TestSearch::failingSearchBringsBackTheFullView()
{
    CatalogueFixture catalogue;
    catalogue.addRow("/media/cd", "alpha.txt");
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    // The engine now refuses the search statement: its index is there but unreadable.
    catalogue.exec("DROP TABLE FilesName; CREATE TABLE FilesName (x);");
    QueuedDialogs boxes;
    boxes.queueInput("alpha");
    QString caption = SearchCaption;
    cmdSearch_Click(workspace, caption);

    QCOMPARE(boxes.messages().size(), 1);
    QVERIFY(boxes.messages()[0].text.startsWith("An error has occurred.\r\nError: "));
    QVERIFY(boxes.messages()[0].text.contains("\r\nDescription: "));
    QCOMPARE(boxes.messages()[0].title, QStringLiteral("Error"));
    QCOMPARE(boxes.messages()[0].flags, 16);
    QCOMPARE(caption, SearchCaption);
    QVERIFY(workspace.rsFiles.isOpen());
    QCOMPARE(workspace.rsFiles.source(), QStringLiteral("Files"));
    QCOMPARE(TestCatalogue::listed(workspace.lvwFiles), QStringList{"alpha.txt"});
    QCOMPARE(pointer.mousePointer(), int(vbDefault));
}

// Rows the index could not take in (the catalogue cannot be written) are still found.
void TestSearch::readOnlyCatalogueIsSearchedExactly()
{
    CatalogueFixture catalogue;
    catalogue.addRow("/media/cd", "alpha.txt");
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    catalogue.addRow("/media/cd", "ALPHABET.txt");
    sqlite3_exec(workspace.cnCatalogue.handle(), "PRAGMA query_only = 1", nullptr, nullptr,
                 nullptr);
    QueuedDialogs boxes;
    boxes.queueInput("alpha");
    QString caption = SearchCaption;
    cmdSearch_Click(workspace, caption);
    QCOMPARE(TestCatalogue::listed(workspace.lvwFiles), (QStringList{"alpha.txt", "ALPHABET.txt"}));
    QVERIFY(boxes.messages().isEmpty());
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
