#include "catalogue/catalogue.h"
#include "platform/connection.h"
#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"

#include <QDialog>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <sqlite3.h>

// The catalogue file as the main window leaves it: whole in data.mdb after Exit, never written
// once found damaged, browsed from media that cannot be written.
class TestCatalogueFile : public QObject
{
    Q_OBJECT

    static void click(frmMain &w, const char *button)
    {
        w.findChild<QPushButton *>(QLatin1String(button))->click();
    }

    // The commands that write are disabled, in the main window, its list's menu and the Discs
    // window, each saying why in its tooltip; Backspace and a click past them write nothing.
    static void checkWritingDisabled(frmMain &w, const QString &why)
    {
        QVERIFY2(w.writeRefusal().contains(why), qPrintable(w.writeRefusal()));
        for (const char *name : {"cmdIndexDirectory", "cmdRemove"}) {
            auto *command = w.findChild<QPushButton *>(QLatin1String(name));
            QVERIFY(!command->isEnabled());
            QCOMPARE(command->toolTip(), w.writeRefusal());
        }
        const int listed = w.list().count();
        TestCatalogue::select(w.list(), 0);
        QTest::keyClick(w.findChild<QTableView *>(QStringLiteral("lvwFiles")), Qt::Key_Backspace);
        w.cmdIndexDirectory_Click(); // no box asks for a path
        QCOMPARE(w.list().count(), listed);
        w.mnuDiscs_Click();
        auto *discs = w.findChild<QDialog *>();
        QVERIFY(discs);
        for (const char *name : {"cmdIndex", "cmdUpdate", "cmdRemoveDisc"}) {
            auto *command = discs->findChild<QPushButton *>(QLatin1String(name));
            QVERIFY(!command->isEnabled());
            QCOMPARE(command->toolTip(), w.writeRefusal());
        }
        discs->close();
    }

private Q_SLOTS:
    void everyEndLeavesTheWholeCatalogueInDataMdb_data()
    {
        QTest::addColumn<bool>("exit"); // else the window is closed and goes
        QTest::newRow("Exit") << true;
        QTest::newRow("window closed") << false;
    }
    void everyEndLeavesTheWholeCatalogueInDataMdb()
    {
        QFETCH(bool, exit);
        QTemporaryDir dir;
        const QString file = TestCatalogue::create(dir.path());
        int ended = 0;
        auto w = std::make_unique<frmMain>(testServices(dir.path(), &ended));
        w->Form_Load();
        Connection &cn = w->catalogue().cnCatalogue();
        cn.beginWrite(); // as every write of the program does: the log mode from here on
        for (int i = 0; i < 22; ++i)
            QCOMPARE(sqlite3_exec(cn.handle(),
                                  qPrintable(QStringLiteral("INSERT INTO Files (File) VALUES "
                                                            "('f%1.txt')")
                                                 .arg(i)),
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
        if (exit)
            click(*w, "cmdExit");
        else
            w.reset();
        QCOMPARE(ended, exit ? 1 : 0);
        // data.mdb copied alone, as a backup takes it.
        const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
        QVERIFY(QFile::copy(file, copy));
        QCOMPARE(TestCatalogue::rows(copy).size(), 22);
        QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
    }

    // Damage in the middle of the table shows at the first refill: one box, the rows before it
    // listed, every write refused with the same box, and the file unchanged to the end.
    void damagedCatalogueIsToldAndNeverWritten_data()
    {
        QTest::addColumn<bool>("logLeft");
        QTest::newRow("middle of the table") << false;
        QTest::newRow("middle, log left by a killed run") << true;
    }
    void damagedCatalogueIsToldAndNeverWritten()
    {
        QFETCH(bool, logLeft);
        QTemporaryDir dir, tree;
        const QString file = TestCatalogue::create(dir.path());
        TestCatalogue::fill(file, 3000);
        if (logLeft)
            TestCatalogue::leaveInLog(file);
        TestCatalogue::damagePageOf(file, "MARK1500;");
        const QByteArray damaged = TestCatalogue::content(file);
        QFile(tree.filePath(QStringLiteral("new.txt"))).open(QIODevice::WriteOnly);

        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Ok);
        FixedVolumeQuery volume;
        int ended = 0;
        Services services = testServices(dir.path(), &ended);
        services.volumes = &volume;
        frmMain w(services);
        w.Form_Load();
        const int listed = w.list().count();
        QVERIFY2(listed > 0 && listed < 3000, qPrintable(QString::number(listed)));
        checkWritingDisabled(w, QStringLiteral("damaged"));
        QCOMPARE(boxes.messages().size(), 1); // the load's
        for (const MessageBox::Shown &box : boxes.messages()) {
            QVERIFY2(box.text.contains(QLatin1String("Error: 11\r\n")), qPrintable(box.text));
            QVERIFY(box.text.endsWith(Connection::damageSentence()));
        }
        QCOMPARE(w.list().count(), listed);
        click(w, "cmdExit");
        QVERIFY(TestCatalogue::content(file) == damaged);
    }

    void readOnlyMediaAreBrowsedButNotWritten_data()
    {
        QTest::addColumn<bool>("logLeft"); // else the log was folded at the end
        QTest::newRow("log mode, log folded") << false;
        QTest::newRow("log and its index left") << true;
    }
    void readOnlyMediaAreBrowsedButNotWritten()
    {
        QFETCH(bool, logLeft);
        QTemporaryDir media, tree;
        const QString file = TestCatalogue::create(media.path());
        TestCatalogue::fill(file, 3);
        // With the name index earlier versions kept: left in place, and not needed to search.
        TestCatalogue::exec(file, QStringLiteral("CREATE VIRTUAL TABLE FilesName USING fts5(File, "
                                                 "content='', tokenize='trigram'); "
                                                 "CREATE TABLE FilesNameState (Indexed INTEGER)"));
        if (logLeft)
            TestCatalogue::leaveInLog(file);
        else
            TestCatalogue::exec(file, QStringLiteral("PRAGMA journal_mode=WAL"));
        const QByteArray written = TestCatalogue::content(file);
        QFile(tree.filePath(QStringLiteral("new.txt"))).open(QIODevice::WriteOnly);
        ReadOnlyMount mount(media.path());
        if (!mount.isMounted())
            QSKIP("this system cannot make a read-only mount here");

        QueuedBoxes boxes;
        boxes.queueInput(QStringLiteral("file2"));
        FixedVolumeQuery volume;
        int ended = 0;
        Services services = testServices(mount.path(), &ended);
        services.volumes = &volume;
        frmMain w(services);
        w.Form_Load();
        QCOMPARE(w.list().count(), logLeft ? 4 : 3); // the log's row read, never replayed
        w.lvwFiles_ColumnClick(3);                   // by File, from the last
        QCOMPARE(TestCatalogue::listed(w.list()).first(), logLeft ? "logged" : "file3.txt");
        click(w, "cmdSearch");
        QCOMPARE(TestCatalogue::listed(w.list()), QStringList("file2.txt"));
        checkWritingDisabled(w, QStringLiteral("read-only"));
        QVERIFY(boxes.messages().isEmpty()); // never the engine's "readonly database"
        QCOMPARE(w.list().count(), 1);
        click(w, "cmdExit");
        QVERIFY(TestCatalogue::content(file) == written);
    }
};

QTEST_MAIN(TestCatalogueFile)
#include "tst_cataloguefile.moc"
