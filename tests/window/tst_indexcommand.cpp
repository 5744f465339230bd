#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/frmmain.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
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
        QueuedBoxes boxes;
        boxes.queueInput(typed.isNull() ? typed : typed.arg(f.tree()));
        for (int i = 0; i < errorBoxes; ++i)
            boxes.queueAnswer(vbOK);
        Services services = testServices(f.folder());
        services.volumes = &f.volume;
        frmMain w(services);
        w.Form_Load();
        // A row that only a refill brings into the list.
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File) VALUES ('/old', 'o.txt')")));
        w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();

        QCOMPARE(boxes.shown().first().kind, QStringLiteral("inputbox"));
        QCOMPARE(boxes.shown().first().text,
                 QStringLiteral("Please enter the path you would like to index:"));
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Vellumark"));
        QCOMPARE(boxes.messages().size(), errorBoxes);
        for (const MessageBox::Shown &box : boxes.messages())
            QVERIFY(box.title == "Error" && box.flags == 16 &&
                    box.text.startsWith("An error has occurred.\r\nError: 76\r\nDescription: "));
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList("o.txt") + files);
        // Folded after the run: data.mdb copied alone holds the new rows.
        const QString copy = f.folder() + QStringLiteral("/copy.mdb");
        QVERIFY(QFile::copy(f.folder() + QStringLiteral("/data.mdb"), copy));
        QCOMPARE(TestCatalogue::rows(copy), QStringList("o.txt") + files);
        QCOMPARE(TestCatalogue::listed(w.findChild<QTableView *>(QStringLiteral("lvwFiles"))),
                 QStringList("o.txt") + files);
        QCOMPARE(w.mousePointer(), 0);
    }

    // A long run shows the progress window with its counts, and the folder it reads as it is
    // named (never as markup), at its width; Cancel, Esc, or closing the main window stop it
    // at the next file with the rows so far kept and shown, and no box.
    void stoppedRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("window closed") << "close";
    }
    void stoppedRun()
    {
        QFETCH(QString, how);
        IndexingFixture f;
        for (int i = 0; i < 3000; ++i)
            f.makeFile(QStringLiteral("<h1>F%1<img src=x>/file%2").arg(i / 100).arg(i));
        QueuedBoxes boxes;
        boxes.queueInput(f.tree());
        SlowMetadata slow;
        Services services = testServices(f.folder());
        services.volumes = &f.volume;
        services.metadata = &slow;
        frmMain w(services);
        w.Form_Load();
        w.show();
        QString seen;
        int pointer = -1;
        QTimer::singleShot(1000, [&] {
            pointer = w.mousePointer(); // past the first sub-folders
            auto *dialog = w.findChild<QProgressDialog *>(QStringLiteral("indexProgress"));
            QVERIFY(dialog && dialog->isVisible() && dialog->isModal());
            seen = dialog->labelText();
            const QString shown = labelsShowing(dialog, QStringLiteral("<h1>F"));
            QVERIFY2(shown.isEmpty(), qPrintable(shown));
            QVERIFY2(dialog->width() < 700, qPrintable(QString::number(dialog->width())));
            if (how == QLatin1String("cancel"))
                dialog->findChild<QPushButton *>()->click();
            else if (how == QLatin1String("escape"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                w.close();
        });
        w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();

        QVERIFY2(seen.contains(QLatin1String("Reading ") + f.tree()) &&
                     seen.contains(QLatin1String("Catalogued: ")),
                 qPrintable(seen));
        const QStringList rows = f.rows(QStringLiteral("File"));
        QVERIFY2(!rows.isEmpty() && rows.size() < 3000, qPrintable(QString::number(rows.size())));
        QCOMPARE(TestCatalogue::listed(w.findChild<QTableView *>(QStringLiteral("lvwFiles"))),
                 rows);
        QVERIFY(boxes.messages().isEmpty());
        QCOMPARE(pointer, 11); // busy for the whole run
        QCOMPARE(w.mousePointer(), 0);
        QVERIFY(!w.findChild<QProgressDialog *>());
        QCOMPARE(w.isVisible(), how != QLatin1String("close"));
    }
};

QTEST_MAIN(TestIndexCommand)
#include "tst_indexcommand.moc"
