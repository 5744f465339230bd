#include "catalogue/removal.h"
#include "catalogue/search.h"
#include "platform/mousepointer.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "support/testcatalogue.h"
#include "window/workspace.h"

#include <QtTest>

#include <sqlite3.h>

namespace {
QStringList tableFiles(sqlite3 *db)
{
    QStringList files;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT File FROM Files ORDER BY ID", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        files << QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return files;
}

} // namespace

class TestRemoval : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void remove_data();
    void remove();
};

void TestRemoval::remove_data()
{
    QTest::addColumn<QString>("search");       // empty: the full view
    QTest::addColumn<QStringList>("selected"); // files whose list entries are selected
    QTest::addColumn<QString>("before");       // statements run before the removal
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("remaining"); // in the table afterwards
    QTest::addColumn<bool>("errorShown");

    const QStringList all = {"alpha", "beta", "gamma", "delta", "epsilon"};
    QTest::newRow("none selected") << "" << QStringList() << "" << false << all << false;
    QTest::newRow("one") << "" << QStringList{"beta"} << "" << false
                         << QStringList{"alpha", "gamma", "delta", "epsilon"} << false;
    QTest::newRow("several") << "" << QStringList{"alpha", "gamma", "epsilon"} << "" << false
                             << QStringList{"beta", "delta"} << false;
    QTest::newRow("a row already gone")
        << "" << QStringList{"beta", "delta"} << "DELETE FROM Files WHERE File = 'beta'" << false
        << QStringList{"alpha", "gamma", "epsilon"} << false;
    QTest::newRow("in the search view")
        << "ta" << QStringList{"beta"} << "" << false
        << QStringList{"alpha", "gamma", "delta", "epsilon"} << false;
    QTest::newRow("read-only catalogue")
        << "" << QStringList{"alpha", "gamma"} << "" << true << all << true;
    QTest::newRow("a deletion fails midway")
        << "" << QStringList{"alpha", "gamma", "epsilon"}
        << "CREATE TRIGGER Locked BEFORE DELETE ON Files WHEN old.File = 'gamma' "
           "BEGIN SELECT RAISE(ABORT, 'row is locked'); END"
        << false << QStringList{"beta", "gamma", "delta", "epsilon"} << true;
}

void TestRemoval::remove()
{
    QFETCH(QString, search);
    QFETCH(QStringList, selected);
    QFETCH(QString, before);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, remaining);
    QFETCH(bool, errorShown);

    CatalogueFixture catalogue;
    for (const char *file : {"alpha", "beta", "gamma", "delta", "epsilon"})
        catalogue.addRow("/media/cd", QString::fromLatin1(file));
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    QueuedDialogs boxes;
    QString caption = SearchCaption;
    if (!search.isEmpty()) {
        boxes.queueInput(search);
        cmdSearch_Click(workspace, caption);
        QCOMPARE(caption, ShowAllCaption);
    }
    for (int row = 0; row < workspace.lvwFiles.count(); ++row)
        workspace.lvwFiles.setSelected(row, selected.contains(workspace.lvwFiles.text(row, 2)));
    if (!before.isEmpty())
        catalogue.exec(before);
    if (readOnly)
        sqlite3_exec(workspace.cnCatalogue.handle(), "PRAGMA query_only = 1", nullptr, nullptr,
                     nullptr);
    const QString sourceBefore = workspace.rsFiles.source();

    cmdRemove_Click(workspace);

    QCOMPARE(tableFiles(catalogue.db()), remaining);
    QCOMPARE(boxes.messages().size(), errorShown ? 1 : 0);
    if (errorShown) {
        QVERIFY(boxes.messages()[0].text.startsWith("An error has occurred.\r\nError: "));
        QVERIFY(boxes.messages()[0].text.contains("\r\nDescription: "));
        QCOMPARE(boxes.messages()[0].title, QStringLiteral("Error"));
        QCOMPARE(boxes.messages()[0].flags, 16);
    }
    // The list is refilled from the same view, whatever happened.
    QCOMPARE(workspace.rsFiles.source(), sourceBefore);
    QStringList expectedList;
    for (const QString &file : remaining)
        if (file.contains(search))
            expectedList << file;
    QStringList listed = TestCatalogue::listed(workspace.lvwFiles);
    listed.sort();
    expectedList.sort();
    QCOMPARE(listed, expectedList);
    QCOMPARE(pointer.mousePointer(), int(vbDefault));
}

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
