#include "catalogue/removal.h"
#include "catalogue/search.h"
#include "platform/mousepointer.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "support/testcatalogue.h"
#include "window/workspace.h"

#include <QtTest>

#include <sqlite3.h>

class TestRemoval : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void remove_data();
    void remove();
};

void TestRemoval::remove_data()
{
    QTest::addColumn<QString>("search");    // empty: the full view
    QTest::addColumn<QString>("selected");  // files whose list entries are selected
    QTest::addColumn<QString>("before");    // statements run before the removal
    QTest::addColumn<QString>("remaining"); // in the table afterwards
    QTest::addColumn<bool>("errorShown");

    auto row = [](const char *name, const char *search, const char *selected, const char *before,
                  const char *remaining, bool errorShown) {
        QTest::newRow(name) << QString(search) << QString(selected) << QString(before)
                            << QString(remaining) << errorShown;
    };
    const char *all = "alpha beta gamma delta epsilon";
    row("none selected", "", "", "", all, false);
    row("one", "", "beta", "", "alpha gamma delta epsilon", false);
    row("several", "", "alpha gamma epsilon", "", "beta delta", false);
    row("a row already gone", "", "beta delta", "DELETE FROM Files WHERE File = 'beta'",
        "alpha gamma epsilon", false);
    row("in the search view", "ta", "beta", "", "alpha gamma delta epsilon", false);
    row("read-only catalogue", "", "alpha gamma", "read-only", all, true);
    row("a deletion fails midway", "", "alpha gamma epsilon",
        "CREATE TRIGGER Locked BEFORE DELETE ON Files WHEN old.File = 'gamma' "
        "BEGIN SELECT RAISE(ABORT, 'row is locked'); END",
        "beta gamma delta epsilon", true);
}

void TestRemoval::remove()
{
    QFETCH(QString, search);
    QFETCH(QString, selected);
    QFETCH(QString, before);
    QFETCH(QString, remaining);
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
    }
    for (int row = 0; row < workspace.lvwFiles.count(); ++row)
        workspace.lvwFiles.setSelected(
            row, selected.split(' ').contains(workspace.lvwFiles.text(row, 2)));
    if (before == "read-only")
        sqlite3_exec(workspace.cnCatalogue.handle(), "PRAGMA query_only = 1", nullptr, nullptr,
                     nullptr);
    else if (!before.isEmpty())
        catalogue.exec(before);
    const QString sourceBefore = workspace.rsFiles.source();

    cmdRemove_Click(workspace);

    QCOMPARE(catalogue.files().join(' '), remaining);
    QCOMPARE(boxes.messages().size(), errorShown ? 1 : 0);
    if (errorShown) {
        QVERIFY(boxes.messages()[0].text.startsWith("An error has occurred.\r\nError: "));
        QVERIFY(boxes.messages()[0].text.contains("\r\nDescription: "));
        QCOMPARE(boxes.messages()[0].title, QStringLiteral("Error"));
        QCOMPARE(boxes.messages()[0].flags, 16);
    }
    // The list is refilled from the same view, whatever happened.
    QCOMPARE(workspace.rsFiles.source(), sourceBefore);
    QStringList listed = TestCatalogue::listed(workspace.lvwFiles);
    listed.sort();
    QStringList shown = remaining.split(' ').filter(search);
    shown.sort();
    QCOMPARE(listed, shown);
    QCOMPARE(pointer.mousePointer(), int(vbDefault));
}

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
