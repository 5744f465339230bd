#include "platform/gioshell.h"
#include "platform/mountedmedia.h"
#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "window/launcher.h"

#include <QtTest>

namespace {

// Records each file it is asked to open; a file that is not there gets the system shell's answer.
struct RecordingShell : ShellExecutor
{
    int ShellExecute(const QString &operation, const QByteArray &file, const QString &parameters,
                     const QString &directory, int showCommand) override
    {
        opened.append(QFile::decodeName(file));
        if (QFileInfo::exists(QFile::decodeName(file)))
            return ShellExecuteSucceeded;
        return GioShell().ShellExecute(operation, file, parameters, directory, showCommand);
    }
    QStringList opened;
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
    void initTestCase()
    {
        // Two discs with the same label and other serials, holding the same files.
        QVERIFY(
            run("mkdir -p content/Docs cdrom 'DISC 1' catalogue ro; echo top > "
                "content/top.txt; echo letter > content/Docs/letter.txt; "
                "mkfs.ext4 -q -F -U 0a1b2c3d-0000-4000-8000-000000000001 -L REMOUNTED -d content "
                "disc.img 4M; mkfs.ext4 -q -F -U 0a1b2c3e-0000-4000-8000-000000000001 "
                "-L REMOUNTED -d content other.img 4M"));
    }

    void cleanup() { run("umount -q cdrom 'DISC 1' ro 2>/dev/null || true"); }

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
        QFile::remove(folder + "/data.mdb");
        const QString file = TestCatalogue::create(folder);
        if (!run("mount -o loop disc.img cdrom"))
            QSKIP("loop mounting is refused here");
        RecordedPointer pointer;
        colFFiles colIndexed;
        RecordedReport report;
        {
            LoadedCatalogue indexing(pointer);
            indexing.Form_Load(folder);
            FolderIndexer(indexing.catalogue, colIndexed, report, systemVolumeQuery(),
                          systemFolderLister(), systemFileMetadataReader())
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

        LoadedCatalogue loaded(pointer);
        loaded.Form_Load(opened);
        QCOMPARE(TestCatalogue::rows(file, "(SELECT count(*) FROM sqlite_schema WHERE name = "
                                           "'MediumRoots')")
                     .first(),
                 catalogue == "read-only" ? "0" : "1");
        QVERIFY(run("umount cdrom; mount -o loop disc.img 'DISC 1'"));
        RecordingShell shell;
        Launcher launcher(loaded.list, pointer, shell, &systemMountedMedia(),
                          &loaded.catalogue.mediumRoots());
        const auto launch = [&](const QString &name, bool fails = false) {
            const int row = TestCatalogue::listed(loaded.list).indexOf(name);
            TestCatalogue::select(loaded.list, row);
            QueuedBoxes boxes;
            boxes.queueAnswer(vbYes);
            if (fails)
                boxes.queueAnswer(vbOK);
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
            FolderIndexer(loaded.catalogue, colIndexed, report, systemVolumeQuery(),
                          systemFolderLister(), systemFileMetadataReader())
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
};

QTEST_MAIN(TestRemount)
#include "tst_remount.moc"
