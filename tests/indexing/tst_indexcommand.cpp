#include "indexing/indexcommand.h"
#include "support/indexingfixture.h"
#include "window/frmmain.h"

#include <QPushButton>
#include <QtTest>

class TestIndexCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The typed text goes to the indexer as it is, and the list is refilled in every case.
    void click_data()
    {
        QTest::addColumn<QString>("typed"); // relative to the tree folder
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("errorBoxes");
        QTest::newRow("cancel") << QString() << QStringList() << 0;
        QTest::newRow("missing") << QStringLiteral("nowhere") << QStringList() << 1;
        QTest::newRow("blanks kept") << QStringLiteral("  spaced ") << QStringList("in.txt") << 0;
        QTest::newRow("blanks not trimmed") << QStringLiteral(" plain") << QStringList() << 1;
    }
    void click()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, files);
        QFETCH(int, errorBoxes);
        IndexingFixture f;
        f.makeFile(QStringLiteral("  spaced /in.txt"));
        f.makeFile(QStringLiteral("plain/p.txt"));
        // A row that only a refill brings into the list.
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File) VALUES ('/old', 'o.txt')")));
        if (!typed.isNull())
            f.boxes.queueInput(typed);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(f.tree());
        IndexCommand(f.workspace, f.indexer).cmdIndexDirectory_Click();
        QDir::setCurrent(previous);

        QCOMPARE(f.boxes.shown.first().kind, QStringLiteral("inputbox"));
        QCOMPARE(f.boxes.shown.first().text,
                 QStringLiteral("Please enter the path you would like to index:"));
        QCOMPARE(f.boxes.shown.first().title, QStringLiteral("Vellumark"));
        QCOMPARE(f.boxes.messages().size(), errorBoxes);
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList("o.txt") + files);
        QCOMPARE(f.workspace.lvwFiles.count(), 1 + files.size());
        QCOMPARE(f.pointer.mousePointer(), 0);
    }

    void mainWindowButtonIndexes()
    {
        IndexingFixture f;
        f.makeFile(QStringLiteral("disc/a.txt"));
        f.boxes.queueInput(f.tree() + QStringLiteral("/disc"));
        frmMain w;
        w.Form_Load();
        w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();
        QCOMPARE(w.workspace().lvwFiles.count(), 1);
        QCOMPARE(w.workspace().lvwFiles.text(0, 2), QStringLiteral("a.txt"));
        QCOMPARE(w.workspace().colIndexed.Count(), 1);
    }
};

QTEST_MAIN(TestIndexCommand)
#include "tst_indexcommand.moc"
