#include "indexing/memberreader.h"
#include "platform/archivereader.h"
#include "platform/gioshell.h"
#include "platform/mountedmedia.h"
#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/discs/frmdiscs.h"
#include "window/discs/newdiscoffer.h"
#include "window/list/launcher.h"
#include "window/main/frmmain.h"

#include <QDialog>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSettings>
#include <QTreeView>
#include <QtTest>

namespace {

// Records each file it is asked to open; a file that is not there gets the system shell's answer.
struct RecordingShell : FileOpener
{
    OpenResult open(const QByteArray &file) override
    {
        opened.append(QFile::decodeName(file));
        if (QFileInfo::exists(QFile::decodeName(file)))
            return OpenResult::Opened;
        return GioShell().open(file);
    }
    QStringList opened;
};

// The system's mounted media below one folder: what other programs mount meanwhile is not the
// test's.
struct MediaBelow : MountedMedia
{
    explicit MediaBelow(const QString &folder) : folder(folder) {}
    std::vector<MountedMedium> list() override
    {
        std::vector<MountedMedium> media = systemMountedMedia().list();
        media.erase(std::remove_if(media.begin(), media.end(),
                                   [this](const MountedMedium &medium) {
                                       return !medium.root.startsWith(folder + '/');
                                   }),
                    media.end());
        return media;
    }
    QString folder;
};

} // namespace

// A real disc indexed at one mount point, then launched and indexed again at another.
class TestRemount : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    bool run(const QString &commands)
    {
        const QString cd =
            "PATH=/usr/sbin:/sbin:$PATH; exec >/dev/null; cd '" + m_dir.path() + "'; ";
        return QProcess::execute("sh", {"-ec", cd + commands}) == 0;
    }

private Q_SLOTS:
    QString catalogueFile()
    {
        const QString folder = m_dir.filePath("catalogue");
        QFile::remove(folder + "/data.mdb");
        return TestCatalogue::create(folder);
    }

    void initTestCase()
    {
        // Mounts below the home folder are the ones a file manager shows, as under /media; the
        // program's settings are the test's own.
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        // Two discs with the same label and other serials, holding the same files; a third.
        QVERIFY(
            run("mkdir -p content/Docs cdrom 'DISC 1' catalogue ro new known; echo top > "
                "content/top.txt; echo letter > content/Docs/letter.txt; "
                "mkfs.ext4 -q -F -U 0a1b2c3d-0000-4000-8000-000000000001 -L REMOUNTED -d content "
                "disc.img 4M; mkfs.ext4 -q -F -U 0a1b2c3e-0000-4000-8000-000000000001 "
                "-L REMOUNTED -d content other.img 4M; mkfs.ext4 -q -F -L FRESH fresh.img 4M"));
    }

    void cleanup() { run("umount -q cdrom 'DISC 1' ro new known 2>/dev/null || true"); }

    // A member of an archive on a disc mounted elsewhere now is taken out of the archive where
    // the disc is now; its containing folder is the archive's folder there.
    void openMemberAfterRemount()
    {
        const QString folder = m_dir.filePath("catalogue");
        catalogueFile();
        if (!run("mkdir -p archived/backups && cd archived/backups && echo photo > p.jpg && "
                 "zip -q photos.zip p.jpg && rm p.jpg && cd ../.. && "
                 "mkfs.ext4 -q -F -L ARCHIVES -d archived archives.img 4M") ||
            !run("mount -o loop,ro archives.img cdrom"))
            QSKIP("loop mounting is refused here");
        RecordedReport report;
        LoadedCatalogue loaded;
        loaded.Form_Load(folder);
        FolderIndexer indexer(loaded.catalogue, report, systemVolumeQuery(), systemFolderLister(),
                              systemFileMetadataReader());
        MemberReader reader(systemArchiveReader(), true, ArchiveLimits());
        indexer.setMemberReader(&reader);
        indexer.IndexFolder(m_dir.filePath("cdrom"));
        QVERIFY(run("umount cdrom; mount -o loop,ro archives.img 'DISC 1'"));
        loaded.list.RefreshLv();
        RecordingShell shell;
        Launcher launcher(loaded.list, shell, &systemMountedMedia(),
                          &loaded.catalogue.mediumRoots(), &loaded.catalogue,
                          &systemArchiveReader());
        TestCatalogue::select(loaded.list, TestCatalogue::listed(loaded.list).indexOf("p.jpg"));
        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Yes);
        launcher.cmdExecuteFile_Click();
        QTRY_COMPARE(shell.opened.size(), 1); // once taken out, beside the window
        boxes.queueAnswer(BoxAnswer::Yes);
        launcher.OpenContainingFolder();
        QCOMPARE(shell.opened.size(), 2);
        QFile extracted(shell.opened[0]);
        QVERIFY(extracted.open(QIODevice::ReadOnly));
        QCOMPARE(extracted.readAll(), QByteArray("photo\n"));
        QCOMPARE(shell.opened[1], m_dir.filePath("DISC 1") + "/backups");
        QVERIFY(report.failures.isEmpty());
    }

    // Launching opens the file from the disc's new mount point (found by its recorded root, or
    // by the longest tail of its folder for catalogues without roots), and never from a disc of
    // the same label and another serial; indexing the disc again at its new place adds no rows.
    void launchAndIndexAfterRemount_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::newRow("roots recorded") << "recorded";
        QTest::newRow("older catalogue, table made at open") << "older";
        QTest::newRow("older read-only catalogue") << "read-only";
    }
    void launchAndIndexAfterRemount()
    {
        QFETCH(QString, catalogue);
        const QString folder = m_dir.filePath("catalogue");
        const QString file = catalogueFile();
        if (!run("mount -o loop disc.img cdrom"))
            QSKIP("loop mounting is refused here");
        RecordedReport report;
        {
            LoadedCatalogue indexing;
            indexing.Form_Load(folder);
            FolderIndexer(indexing.catalogue, report, systemVolumeQuery(), systemFolderLister(),
                          systemFileMetadataReader())
                .IndexFolder(m_dir.filePath("cdrom"));
        }
        const QStringList indexed = TestCatalogue::rows(file, "Path, File, Archive, Serial");
        const QString cdrom = m_dir.filePath("cdrom");
        QCOMPARE(indexed, QStringList({cdrom + "/Docs|letter.txt|REMOUNTED|A1B-2C3D",
                                       cdrom + "|top.txt|REMOUNTED|A1B-2C3D"}));
        // An older catalogue; a read-only one cannot be in WAL mode.
        if (catalogue != "recorded")
            TestCatalogue::exec(file, "DROP TABLE MediumRoots; PRAGMA journal_mode=DELETE");
        QString opened = folder;
        if (catalogue == "read-only") {
            QVERIFY(run("mount --bind catalogue ro; mount -o remount,ro,bind ro"));
            opened = m_dir.filePath("ro");
        }

        LoadedCatalogue loaded;
        loaded.Form_Load(opened);
        QCOMPARE(TestCatalogue::rows(file, "(SELECT count(*) FROM sqlite_schema WHERE name = "
                                           "'MediumRoots')")
                     .first(),
                 catalogue == "read-only" ? "0" : "1");
        QVERIFY(run("umount cdrom; mount -o loop disc.img 'DISC 1'"));
        RecordingShell shell;
        Launcher launcher(loaded.list, shell, &systemMountedMedia(),
                          &loaded.catalogue.mediumRoots());
        const auto launch = [&](const QString &name, bool fails = false) {
            const int row = TestCatalogue::listed(loaded.list).indexOf(name);
            TestCatalogue::select(loaded.list, row);
            QueuedBoxes boxes;
            boxes.queueAnswer(BoxAnswer::Yes);
            if (fails)
                boxes.queueAnswer(BoxAnswer::Ok);
            launcher.cmdExecuteFile_Click();
            QStringList shown;
            for (const MessageBox::Shown &box : boxes.messages())
                shown.append(box.text);
            return shown.mid(1); // after the question
        };
        const QString moved = m_dir.filePath("DISC 1");
        QCOMPARE(launch("letter.txt"), QStringList());
        QCOMPARE(launch("top.txt"), QStringList()); // its old folder is there, empty
        QCOMPARE(shell.opened, QStringList({moved + "/Docs/letter.txt", moved + "/top.txt"}));

        if (catalogue == "recorded") {
            FolderIndexer(loaded.catalogue, report, systemVolumeQuery(), systemFolderLister(),
                          systemFileMetadataReader())
                .IndexFolder(moved);
            QCOMPARE(TestCatalogue::rows(file, "Path, File, Archive, Serial"), indexed);
            QCOMPARE(TestCatalogue::rows(file, "(SELECT group_concat(Root, ';') FROM "
                                               "(SELECT Root FROM MediumRoots ORDER BY Root))")
                         .first(),
                     moved + ";" + cdrom);
        }
        QVERIFY(report.failures.isEmpty());

        // The same label with another serial is not the disc: the row's own place is tried.
        QVERIFY(run("umount 'DISC 1'; mount -o loop other.img 'DISC 1'"));
        shell.opened.clear();
        QCOMPARE(launch("letter.txt", true), QStringList("Path not found!"));
        QCOMPARE(shell.opened, QStringList(cdrom + "/Docs/letter.txt"));
        QCOMPARE(TestCatalogue::rows(file, "Path, File, Archive, Serial"), indexed);
    }

    // A disc changed, then mounted elsewhere and updated: its rows are its files under the new
    // mount point, changed files keep their IDs; the rows of another disc of the same label are
    // untouched; a disc that is not mounted gets a box.
    void updateAfterRemount()
    {
        const QString file = catalogueFile();
        if (!run("cp disc.img changing.img; mount -o loop changing.img cdrom"))
            QSKIP("loop mounting is refused here");
        QVERIFY(run("mkdir cdrom/Old; echo x > cdrom/Old/x.txt; echo a > cdrom/Docs/a.txt; "
                    "mount -o loop,ro other.img ro"));
        frmMain w(testServices(m_dir.filePath("catalogue")));
        w.Form_Load();
        for (const char *folder : {"cdrom", "ro"}) {
            QueuedBoxes boxes;
            boxes.queueInput(m_dir.filePath(folder));
            w.cmdIndexDirectory_Click();
            QTRY_VERIFY(!w.runUnderWay() && !w.list().filling());
        }
        const QString fields = "ID, Path, File, Size, Modified, Archive, Serial";
        const QStringList before = TestCatalogue::rows(file, fields);
        QCOMPARE(before.size(), 6);
        QVERIFY(run("echo more >> cdrom/top.txt; touch -d '2001-01-01 12:00' "
                    "cdrom/Docs/letter.txt; rm -r cdrom/Docs/a.txt cdrom/Old; echo n > "
                    "cdrom/Docs/new.txt; umount cdrom; mount -o loop changing.img 'DISC 1'"));

        // From the Discs window, which follows.
        w.mnuDiscs_Click();
        auto *discs = w.findChild<frmDiscs *>();
        const auto line = [discs] {
            for (int row = 0; row < discs->model().rowCount(); ++row)
                if (discs->model().disc(row).serial == "A1B-2C3D")
                    return row;
            return -1;
        };
        discs->findChild<QTreeView *>("lvwDiscs")
            ->selectionModel()
            ->setCurrentIndex(discs->model().index(line(), 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        auto *update = discs->findChild<QPushButton *>("cmdUpdate");
        QCOMPARE(update->text(), "&Update");
        update->click();
        QTRY_VERIFY(!w.runUnderWay() && !w.list().filling());
        const QString moved = m_dir.filePath("DISC 1"),
                      today = QDate::currentDate().toString(Qt::ISODate);
        // a.txt 1, letter.txt 2, x.txt 3, top.txt 4; the other disc's 5 and 6; new.txt 7.
        QCOMPARE(TestCatalogue::rows(file, fields),
                 QStringList({"2|" + moved + "/Docs|letter.txt|7|2001-01-01|REMOUNTED|A1B-2C3D",
                              "4|" + moved + "|top.txt|9|" + today + "|REMOUNTED|A1B-2C3D",
                              before[4], before[5],
                              "7|" + moved + "/Docs|new.txt|2|" + today + "|REMOUNTED|A1B-2C3D"}));
        QCOMPARE(w.list().count(), 5);
        QCOMPARE(discs->model().disc(line()).files, 3);
        QCOMPARE(discs->model().disc(line()).mountedAt, moved);

        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Ok);
        QVERIFY(run("umount 'DISC 1'"));
        update->click();
        QCOMPARE(boxes.messages().size(), 1);
        QCOMPARE(boxes.messages()[0].text, "The disc \"REMOUNTED\" is not in a drive.");
        QCOMPARE(boxes.messages()[0].title, "Update");
        QCOMPARE(TestCatalogue::rows(file).size(), 5);
        QCOMPARE(discs->model().disc(line()).mountedAt, QString());
    }

    // A disc mounted while the program runs is offered for cataloguing once, when the catalogue
    // holds none of its rows, and a disc it holds never; Yes catalogues it; "Do not ask again"
    // is kept.
    void newDiscOffered()
    {
        const QString file = catalogueFile();
        if (!run("mount -o loop,ro disc.img cdrom"))
            QSKIP("loop mounting is refused here");
        Services services = testServices(m_dir.filePath("catalogue"));
        MediaBelow media(m_dir.path());
        services.media = &media;
        services.offerNewDiscs = true;
        frmMain w(services);
        w.Form_Load();
        {
            QueuedBoxes boxes;
            boxes.queueInput(m_dir.filePath("cdrom"));
            w.cmdIndexDirectory_Click();
            QTRY_VERIFY(!w.runUnderWay() && !w.list().filling());
        }
        QueuedBoxes boxes;
        const auto offers = [&boxes] {
            QStringList texts;
            for (const MessageBox::Shown &box : boxes.messages())
                texts.append(box.title + ": " + box.text);
            return texts;
        };
        const QString offer =
            "New Disc: The disc \"REMOUNTED\" was mounted at %1. Catalogue it now?";
        boxes.queueAnswer(BoxAnswer::No);
        // While another command waits for the user, the offer waits too.
        QDialog other(&w);
        other.setModal(true);
        other.show();
        QVERIFY(run("mount -o loop,ro other.img new; mount -o loop,ro disc.img known"));
        QTest::qWait(1500);
        QCOMPARE(offers().size(), 0);
        other.close();
        QTRY_COMPARE(offers(), QStringList(offer.arg(m_dir.filePath("new"))));
        QTest::qWait(1500);
        QCOMPARE(offers().size(), 1);

        boxes.queueAnswer(BoxAnswer::Yes);
        MessageBox::setNextCheck(true);
        // Taken out, then put in again: GIO sees a swap in one instant as no change at all.
        QVERIFY(run("umount new"));
        QTest::qWait(500);
        QVERIFY(run("mount -o loop,ro other.img new"));
        QTRY_COMPARE(offers().size(), 2);
        QTRY_VERIFY(!w.runUnderWay() && !w.list().filling());
        QCOMPARE(TestCatalogue::rows(file, "Serial").count("A1B-2C3E"), 2);
        QVERIFY(QSettings("Vellumark", "Vellumark")
                    .value(QLatin1String(NewDiscOffer::DoNotAskKey))
                    .toBool());
        QVERIFY(run("umount new"));
        QTest::qWait(500);
        QVERIFY(run("mount -o loop,ro fresh.img new"));
        QTest::qWait(1500);
        QCOMPARE(offers().size(), 2);
    }
};

QTEST_MAIN(TestRemount)
#include "tst_remount.moc"
