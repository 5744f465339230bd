#include "platform/endsignals.h"
#include "platform/mountedmedia.h"
#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/list/cataloguelist.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/frmmain.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <sqlite3.h>

#include <signal.h>

namespace {

// The tree of the fixture, mounted as the medium DATA1 1234-5678 that the volume query answers.
struct TreeMounted : MountedMedia
{
    QString root;
    std::vector<MountedMedium> list() override { return {{root, "DATA1", 0x12345678, true}}; }
};

// 2000 files in 20 folders, read a millisecond each, the tree mounted as that medium, and the
// services of a main window on them.
struct SlowMountedTree
{
    explicit SlowMountedTree(int *ended = nullptr)
    {
        for (int i = 0; i < 2000; ++i)
            f.makeFile(QStringLiteral("F%1/file%2").arg(i / 100).arg(i));
        media.root = f.tree();
        services = testServices(f.folder(), ended);
        services.volumes = &f.volume;
        services.metadata = &slow;
        services.media = &media;
    }
    IndexingFixture f;
    SlowMetadata slow;
    TreeMounted media;
    Services services;
};

QPushButton *button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QLatin1String(name));
}

// Each row held as its key and cells, for comparing the list's rows with a fresh read.
QStringList cells(const CatalogueRows &rows)
{
    QStringList texts;
    for (size_t row = 0; row < rows.size(); ++row)
        for (int subItem = 0; subItem <= CatalogueRows::SubItemCount; ++subItem)
            texts.append(subItem ? rows.text(row, subItem) : QString::number(rows.key(row).id));
    return texts;
}

} // namespace

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
            boxes.queueAnswer(BoxAnswer::Ok);
        Services services = testServices(f.folder());
        services.volumes = &f.volume;
        frmMain w(services);
        w.Form_Load();
        // A row that only a refill brings into the list.
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File) VALUES ('/old', 'o.txt')")));
        w.list().sortBy(0, 0); // by ID: ordered again once every row is in
        w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();
        QTRY_VERIFY(!w.runUnderWay() && !w.list().filling());

        QVERIFY(boxes.shown().first().input);
        QCOMPARE(boxes.shown().first().text,
                 QStringLiteral("Please enter the path you would like to index:"));
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Vellumark"));
        QCOMPARE(boxes.messages().size(), errorBoxes);
        // The folder that failed on a line of its own.
        for (const MessageBox::Shown &box : boxes.messages())
            QVERIFY(box.title == "Error" && look(box) == "OK stop" &&
                    box.text.startsWith("An error has occurred.\r\nError: 76\r\nDescription: ") &&
                    box.text.endsWith("\r\n" + typed.arg(f.tree())));
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList("o.txt") + files);
        // Folded after the run: data.mdb copied alone holds the new rows.
        const QString copy = f.folder() + QStringLiteral("/copy.mdb");
        QVERIFY(QFile::copy(f.folder() + QStringLiteral("/data.mdb"), copy));
        QCOMPARE(TestCatalogue::rows(copy), QStringList("o.txt") + files);
        QCOMPARE(TestCatalogue::listed(w.findChild<QTableView *>(QStringLiteral("lvwFiles"))),
                 QStringList("o.txt") + files);
        // What the run did stays on the line below the list.
        QCOMPARE(w.findChild<QLabel *>("lblStatus")->text().startsWith("Catalogued"),
                 !typed.isNull());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // A long run shows the progress window, not modal, with its counts and the folder it reads
    // as it is named (never as markup), at its width. While it goes the window lists, sorts and
    // searches, and the commands that write are disabled with the reason in their tooltip.
    // Cancel, Esc, closing the main window or Exit stop it at the next file with the rows so far
    // kept and shown, and no box; after Exit the program ends.
    void stoppedRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("window closed") << "close";
        QTest::newRow("exit") << "exit";
    }
    void stoppedRun()
    {
        QFETCH(QString, how);
        IndexingFixture f;
        for (int i = 0; i < 3000; ++i)
            f.makeFile(QStringLiteral("<h1>F%1<img src=x>/file%2").arg(i / 100).arg(i));
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File) VALUES ('/old', 'o.txt')")));
        QueuedBoxes boxes;
        boxes.queueInput(f.tree());
        boxes.queueInput(QStringLiteral("o.t"));
        SlowMetadata slow;
        int ended = 0;
        Services services = testServices(f.folder(), &ended);
        services.volumes = &f.volume;
        services.metadata = &slow;
        frmMain w(services);
        w.Form_Load();
        w.show();
        button(w, "cmdIndexDirectory")->click();
        QVERIFY(w.runUnderWay());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor); // busy, and in use
        QTest::qWait(1000); // past the first sub-folders
        auto *dialog = w.findChild<QProgressDialog *>(QStringLiteral("indexProgress"));
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        const QString seen = dialog->labelText();
        const QString shown = labelsShowing(dialog, QStringLiteral("<h1>F"));
        QVERIFY2(shown.isEmpty(), qPrintable(shown));
        QVERIFY2(dialog->width() < 700, qPrintable(QString::number(dialog->width())));
        QVERIFY2(seen.contains(QLatin1String("Reading ") + f.tree()) &&
                     seen.contains(QLatin1String("Catalogued: ")),
                 qPrintable(seen));
        // The window in use: a search of the rows held, and back.
        button(w, "cmdSearch")->click();
        QCOMPARE(TestCatalogue::listed(w.findChild<QTableView *>(QStringLiteral("lvwFiles"))),
                 QStringList("o.txt"));
        button(w, "cmdSearch")->click();
        for (const char *name : {"cmdIndexDirectory", "cmdRemove"})
            QVERIFY(!button(w, name)->isEnabled() && !button(w, name)->toolTip().isEmpty());
        QVERIFY(w.runUnderWay());

        if (how == QLatin1String("cancel"))
            dialog->findChild<QPushButton *>()->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(dialog, Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            w.close();
        else
            button(w, "cmdExit")->click();
        QTRY_VERIFY(!w.runUnderWay() && !w.list().filling());

        const QStringList rows = f.rows(QStringLiteral("File"));
        QVERIFY2(rows.size() > 1 && rows.size() < 3001, qPrintable(QString::number(rows.size())));
        QVERIFY(boxes.messages().isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!w.findChild<QProgressDialog *>());
        QCOMPARE(ended, int(how == QLatin1String("exit")));
        if (how == QLatin1String("exit"))
            return; // the list need not be refilled for a program that ends
        QCOMPARE(TestCatalogue::listed(w.findChild<QTableView *>(QStringLiteral("lvwFiles"))),
                 rows);
        QCOMPARE(w.isVisible(), how != QLatin1String("close"));
        QVERIFY(button(w, "cmdIndexDirectory")->isEnabled() &&
                button(w, "cmdIndexDirectory")->toolTip().isEmpty());
    }

    // The rows held after a run are those a fresh read gives, text for text: taken in as the run
    // wrote them where it only added rows, read again where it did more.
    void heldAfterRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("readAgain");
        QTest::newRow("new disc") << "new" << false;
        QTest::newRow("cancelled") << "cancel" << false;
        QTest::newRow("archives") << "archive" << true;
        QTest::newRow("failed part way") << "fail" << true;
        QTest::newRow("another program wrote") << "other" << true;
    }
    void heldAfterRun()
    {
        QFETCH(QString, how);
        QFETCH(bool, readAgain);
        SlowMountedTree tree;
        IndexingFixture &f = tree.f;
        QVERIFY(f.exec("INSERT INTO Files (Path, File, Size) VALUES ('/old', 'o.txt', '')"));
        if (how == "archive")
            QCOMPARE(QProcess::execute("python3", {"-c",
                                                   "import zipfile,sys\n"
                                                   "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                                                   "  z.writestr('in/a.txt','a')\n",
                                                   f.tree() + "/F3/a.zip"}),
                     0);
        QueuedBoxes boxes;
        boxes.queueInput(f.tree());
        if (how == "fail")
            boxes.queueAnswer(BoxAnswer::Ok);
        frmMain w(tree.services);
        w.Form_Load();
        QTRY_VERIFY(!w.list().filling());
        bool readAfter = false; // rows read again come in once the run is over
        connect(w.list().model(), &CatalogueListModel::rowsArrived,
                [&] { readAfter = readAfter || !w.runUnderWay(); });
        w.list().sortBy(2, 1); // by File, descending: the rows taken in are sorted among the rest
        button(w, "cmdIndexDirectory")->click();
        QTest::qWait(500); // past the first groups
        if (how == "cancel")
            w.findChild<QProgressDialog *>()->cancel();
        else if (how == "fail")
            f.volume.answers = false;
        else if (how == "other")
            QVERIFY(f.exec("INSERT INTO Files (Path, File) VALUES ('/other', 'x.txt')"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.runUnderWay() && !w.list().filling(), 15000);
        QCOMPARE(readAfter, readAgain);
        HeldRows fresh;
        QVERIFY(!fresh.fill(f.loaded.catalogue, false));
        QVERIFY(fresh.rows().size() > 100);
        QCOMPARE(cells(w.list().model()->held().rows()), cells(fresh.rows()));
        CatalogueList again(f.loaded.catalogue);
        again.RefreshLv();
        again.sortBy(2, 1);
        QCOMPARE(TestCatalogue::listed(w.list()), TestCatalogue::listed(again));
    }

    // The Discs window closed during its Update: the progress, and its Cancel, go over the main
    // window.
    void progressOutlivesItsWindow()
    {
        SlowMountedTree tree;
        IndexingFixture &f = tree.f;
        frmMain w(tree.services);
        w.Form_Load();
        w.show();
        w.mnuDiscs_Click();
        QPointer<QWidget> discs = w.findChild<QDialog *>();
        QVERIFY(w.UpdateMedium(QStringLiteral("DATA1"), QStringLiteral("1234-5678"), discs));
        discs->close();
        QTRY_VERIFY(!discs);
        QProgressDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = w.findChild<QProgressDialog *>(QStringLiteral("indexProgress"))) &&
                    dialog->isVisible());
        QCOMPARE(dialog->parentWidget(), &w);
        dialog->findChild<QPushButton *>()->click();
        QTRY_VERIFY(!w.runUnderWay());
        QVERIFY(f.rows().size() < 2000); // stopped before its end
    }

    // A run that fails (another program holds the catalogue's write lock when the Update first
    // writes; the disc goes away at once) ends in one real box, over nothing else, that Enter
    // closes; the program then ends on Exit and on SIGTERM alike.
    void failedUpdateEndsInOneBox_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("end");
        QTest::newRow("write lock, Exit") << QStringLiteral("lock") << QStringLiteral("exit");
        QTest::newRow("write lock, SIGTERM") << QStringLiteral("lock") << QStringLiteral("signal");
        QTest::newRow("disc gone, Exit") << QStringLiteral("gone") << QStringLiteral("exit");
        QTest::newRow("disc gone, SIGTERM") << QStringLiteral("gone") << QStringLiteral("signal");
    }
    void failedUpdateEndsInOneBox()
    {
        QFETCH(QString, fault);
        QFETCH(QString, end);
        int ended = 0;
        SlowMountedTree tree(&ended);
        IndexingFixture &f = tree.f;
        frmMain w(tree.services);
        w.Form_Load();
        w.show();
        EndSignals endSignals;
        connect(&endSignals, &EndSignals::received, &w, &frmMain::cmdExit_Click);

        sqlite3 *other = nullptr;
        if (fault == QLatin1String("lock")) {
            QCOMPARE(sqlite3_open((f.folder() + "/data.mdb").toUtf8().constData(), &other),
                     SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE", nullptr,
                                  nullptr, nullptr),
                     SQLITE_OK);
        } else {
            QTimer::singleShot(200, [&] { f.volume.answers = false; });
        }
        MessageBox::setTestMode({}); // real boxes
        QStringList boxes;
        int modalOver = 0; // windows modal while the box was up, the box included
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            boxes.append(box->text());
            const QWidgetList tops = QApplication::topLevelWidgets();
            modalOver = int(std::count_if(tops.begin(), tops.end(), [](QWidget *top) {
                return top->isVisible() && top->isModal();
            }));
            QTest::keyClick(box, Qt::Key_Return);
        });
        closer.start(50);
        QVERIFY(w.UpdateMedium(QStringLiteral("DATA1"), QStringLiteral("1234-5678")));
        QTRY_VERIFY_WITH_TIMEOUT(!w.runUnderWay() && !w.list().filling(), 15000);
        QTRY_COMPARE(boxes.size(), 1);
        closer.stop();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(modalOver, 1);
        QVERIFY2(
            boxes[0].startsWith(fault == QLatin1String("lock")
                                    ? "An error has occurred.\r\nError: 5\r\nDescription: "
                                    : "An error has occurred.\r\nError: 71\r\nDescription: ") &&
                boxes[0].contains("\r\n" + f.tree()) && boxes[0].contains(" 0 removed."),
            qPrintable(boxes[0]));
        if (other)
            sqlite3_close(other);

        if (end == QLatin1String("exit"))
            button(w, "cmdExit")->click();
        else
            QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(ended, 1);
    }
};

QTEST_MAIN(TestIndexCommand)
#include "tst_indexcommand.moc"
