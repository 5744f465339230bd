#include "support/indexingfixture.h"
#include "support/testcatalogue.h"
#include "window/frmmain.h"

#include <QPushButton>
#include <QtTest>

class TestIndexCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The main window's button gives the typed text to the indexer as it is, and refills the
    // list in every case.
    void click_data()
    {
        QTest::addColumn<QString>("typed"); // the tree folder as %1
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("errorBoxes");
        QTest::newRow("cancel") << QString() << QStringList() << 0;
        QTest::newRow("blanks kept")
            << QStringLiteral("%1/  spaced ") << QStringList("in.txt") << 0;
        QTest::newRow("blanks not trimmed") << QStringLiteral(" %1/plain") << QStringList() << 1;
    }
    void click()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, files);
        QFETCH(int, errorBoxes);
        IndexingFixture f;
        f.makeFile(QStringLiteral("  spaced /in.txt"));
        f.makeFile(QStringLiteral("plain/p.txt"));
        if (!typed.isNull())
            f.boxes.queueInput(typed.arg(f.tree()));
        frmMain w;
        w.Form_Load();
        // A row that only a refill brings into the list.
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File) VALUES ('/old', 'o.txt')")));
        w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();

        QCOMPARE(f.boxes.shown.first().kind, QStringLiteral("inputbox"));
        QCOMPARE(f.boxes.shown.first().text,
                 QStringLiteral("Please enter the path you would like to index:"));
        QCOMPARE(f.boxes.shown.first().title, QStringLiteral("Vellumark"));
        QCOMPARE(f.boxes.messages().size(), errorBoxes);
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList("o.txt") + files);
        QCOMPARE(TestCatalogue::listed(w.workspace().lvwFiles), QStringList("o.txt") + files);
        QCOMPARE(w.mousePointer(), 0);
    }
};

QTEST_MAIN(TestIndexCommand)
#include "tst_indexcommand.moc"
