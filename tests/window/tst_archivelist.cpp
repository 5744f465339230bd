#include "catalogue/findquery.h"
#include "catalogue/foldertree.h"
#include "platform/archivereader.h"
#include "platform/fileopener.h"
#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "window/list/copypathcommand.h"
#include "window/discs/discs.h"
#include "window/boxes/errorbox.h"
#include "window/list/launcher.h"
#include "window/main/removecommand.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct RecordingShell : FileOpener
{
    OpenResult open(const QByteArray &file) override
    {
        paths << QString::fromUtf8(file);
        return OpenResult::Opened;
    }
    QStringList paths;
};

} // namespace

// The members of archives among the list's rows: what they show, and that a member's ID is
// never taken for a file's (member 1 and file 1 are different records here).
class TestArchiveList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_disc;
    std::unique_ptr<CatalogueFixture> m_catalogue;
    std::unique_ptr<LoadedCatalogue> m_loaded;

    QString backups() const { return m_disc.filePath(QStringLiteral("backups")); }
    CatalogueList &list() { return m_loaded->list; }
    int rowOf(const QString &file)
    {
        for (int row = 0; row < list().count(); ++row)
            if (list().text(row, 2) == file)
                return row;
        return -1;
    }
    void selectOnly(const QString &file)
    {
        list().selectionModel()->clear();
        TestCatalogue::select(list(), rowOf(file), false);
    }
    QStringList shown()
    {
        QStringList rows;
        for (int row = 0; row < list().count(); ++row)
            rows << QStringList{list().text(row, 0),
                                list().text(row, 1).replace(m_disc.path(), "~"),
                                list().text(row, 2), list().text(row, 3), list().text(row, 8)}
                        .join('|');
        return rows;
    }
    std::unique_ptr<Launcher> launcherOn(FileOpener &shell)
    {
        return std::make_unique<Launcher>(list(), shell, nullptr, nullptr,
                                          &m_loaded->catalogue,
                                          &systemArchiveReader());
    }
    QStringList members() const
    {
        return TestCatalogue::query(m_catalogue->folder() + "/data.mdb",
                                    "SELECT ID, FileID, File FROM ArchiveMembers ORDER BY ID");
    }

private Q_SLOTS:
    void init()
    {
        QDir().mkpath(backups());
        QCOMPARE(QProcess::execute(
                     "python3",
                     {"-c",
                      "import zipfile,sys\n"
                      "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED) as z:\n"
                      "  z.writestr('2019/june/été.jpg','jpeg')\n  z.writestr('readme','hi')\n",
                      backups() + "/photos.zip"}),
                 0);
        m_catalogue = std::make_unique<CatalogueFixture>();
        m_catalogue->exec(
            QString("INSERT INTO Files (ID, Path, File, Size, Archive, Serial) VALUES "
                    "(1, '%1', 'photos.zip', '300', 'DISC', '1234-5678'), "
                    "(2, '/x', 'b.jpg', '5', 'OTHER', '1')")
                .arg(backups()));
        m_catalogue->exec(
            "INSERT INTO ArchiveMembers (ID, FileID, Path, File, Size, Modified) VALUES "
            "(1, 1, '2019/june', 'été.jpg', '4', '2019-06-21'), "
            "(2, 1, '', 'readme', '2', NULL), (3, 1, 'copies', 'B.jpg', '5', NULL)");
        m_loaded = std::make_unique<LoadedCatalogue>();
        m_loaded->Form_Load(m_catalogue->folder());
    }
    void cleanup()
    {
        m_loaded.reset();
        m_catalogue.reset();
    }

    void rowsThroughTheArchive()
    {
        QCOMPARE(shown(), QStringList({"1|~/backups|photos.zip|300|DISC", "2|/x|b.jpg|5|OTHER",
                                       "|~/backups/photos.zip/2019/june|été.jpg|4|DISC",
                                       "|~/backups/photos.zip|readme|2|DISC",
                                       "|~/backups/photos.zip/copies|B.jpg|5|DISC"}));
        // The status line's "N of M files" counts the same rows.
        QCOMPARE(m_loaded->catalogue.fileCount(), qint64(list().count()));
        // Sorted by ID, the members (whose IDs are not of Files) come past every file.
        list().sortBy(0, 1);
        QCOMPARE(list().text(3, 0) + list().text(4, 0), QString("21"));
        list().sortBy(0, 0);
        QCOMPARE(list().text(0, 0) + list().text(1, 0) + list().text(4, 0), QString("12"));
        list().sortBy(2, 0);
        QCOMPARE(list().text(0, 2).toLower() + list().text(1, 2).toLower(), QString("b.jpgb.jpg"));
    }

    void viewsHoldMembers_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("search") << "search jpg" << QStringList{"B.jpg", "b.jpg", "été.jpg"};
        QTest::newRow("find") << "find type:jpg" << QStringList{"B.jpg", "b.jpg", "été.jpg"};
        QTest::newRow("find folder") << "find folder:june" << QStringList{"été.jpg"};
        QTest::newRow("disc") << "medium"
                              << QStringList{"B.jpg", "photos.zip", "été.jpg", "readme"};
        QTest::newRow("folder") << "folder"
                                << QStringList{"B.jpg", "photos.zip", "été.jpg", "readme"};
        // The same name and size on another disc, one of them in an archive.
        QTest::newRow("duplicates") << "duplicates" << QStringList{"B.jpg", "b.jpg"};
    }
    void viewsHoldMembers()
    {
        QFETCH(QString, view);
        QFETCH(QStringList, files);
        const QString argument = view.section(' ', 1);
        if (view.startsWith("search"))
            list().show(ListView::search(argument));
        else if (view.startsWith("find"))
            list().show(ListView::find(FindQuery::parse(argument)));
        else if (view == "duplicates")
            list().show(ListView::duplicates());
        else if (view == "folder")
            list().show(ListView::folder("DISC", "1234-5678", backups()));
        else
            list().show(ListView::medium("DISC", "1234-5678"));
        QStringList got;
        for (int row = 0; row < list().count(); ++row)
            got << list().text(row, 2);
        got.sort();
        files.sort();
        QCOMPARE(got, files);
    }

    // The members' names are held with the rows; a member added since, or whose name the held
    // ones cannot answer for (a pattern), is found all the same.
    void searchAmongMembers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("held") << "ÉTÉ" << QStringList{"été.jpg"};
        QTest::newRow("added since") << "zzz" << QStringList{"zzz.txt"};
        QTest::newRow("pattern") << "r_adm" << QStringList{"readme"};
    }
    void searchAmongMembers()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, files);
        m_catalogue->exec(
            "INSERT INTO ArchiveMembers (FileID, Path, File) VALUES (1, '', 'zzz.txt')");
        list().show(ListView::search(text));
        QCOMPARE(TestCatalogue::listed(list()), files);
    }

    // A member's row removes that record alone, never the file of the same ID; the archive's
    // row takes its members with it.
    // Undo puts back what a removal took, members with their own IDs under their archive.
    void removal()
    {
        RemoveCommand remove(m_loaded->catalogue, list());
        const QStringList allMembers = members();
        selectOnly("été.jpg");
        remove.cmdRemove_Click();
        QCOMPARE(m_catalogue->files(), QStringList({"photos.zip", "b.jpg"}));
        QCOMPARE(members(), QStringList({"2|1|readme", "3|1|B.jpg"}));
        QCOMPARE(rowOf("été.jpg"), -1);
        QCOMPARE(remove.undoRemove(), 1);
        QCOMPARE(members(), allMembers);
        QVERIFY(rowOf("été.jpg") >= 0);
        selectOnly("photos.zip");
        remove.cmdRemove_Click();
        QCOMPARE(m_catalogue->files(), QStringList({"b.jpg"}));
        QCOMPARE(members(), QStringList());
        QCOMPARE(list().count(), 1);
        QCOMPARE(remove.undoRemove(), 1 + allMembers.size());
        QCOMPARE(m_catalogue->files(), QStringList({"photos.zip", "b.jpg"}));
        QCOMPARE(members(), allMembers);
        QCOMPARE(list().count(), 2 + allMembers.size());
    }

    // The Discs window counts members apart from files, from the rows held or from the
    // catalogue; Remove Disc takes the members of its archives too.
    void discs_data()
    {
        QTest::addColumn<bool>("narrowed");
        QTest::newRow("whole catalogue held") << false;
        QTest::newRow("a search shown") << true;
    }
    void discs()
    {
        QFETCH(bool, narrowed);
        if (narrowed)
            list().show(ListView::search("b"));
        Discs discs(m_loaded->catalogue, list(), nullptr);
        QStringList lines;
        for (const Disc &disc : discs.list())
            lines << QString("%1 %2 %3 %4")
                         .arg(disc.label)
                         .arg(disc.files)
                         .arg(disc.members)
                         .arg(disc.bytes);
        lines.sort();
        QCOMPARE(lines, QStringList({"DISC 1 3 300", "OTHER 1 0 5"}));
        // Its folders count its files as its line does, the members of archives apart.
        for (const Disc &disc : discs.list())
            QCOMPARE(discs.folders(disc)->root()->files, disc.files);
        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Yes);
        QVERIFY(
            discs.removeDisc(discs.list()[0].label == "DISC" ? discs.list()[0] : discs.list()[1]));
        QCOMPARE(m_catalogue->files(), QStringList({"b.jpg"}));
        QCOMPARE(members(), QStringList());
    }

    void copyPath()
    {
        selectOnly("été.jpg");
        CopyPathCommand(list()).mnuCopyPath_Click();
        QCOMPARE(QGuiApplication::clipboard()->text(), backups() + "/photos.zip/2019/june/été.jpg");
    }

    // Open asks the disc question, takes only that member out into a folder of the user's own,
    // and opens it there; Open Containing Folder opens the archive's folder; Exit removes it.
    void open()
    {
        RecordingShell shell;
        const std::unique_ptr<Launcher> launcher = launcherOn(shell);
        QueuedBoxes boxes;
        selectOnly("été.jpg");
        boxes.queueAnswer(BoxAnswer::Yes);
        launcher->cmdExecuteFile_Click();
        QCOMPARE(boxes.shown().last().text, "Have you inserted the CD: DISC into drive " +
                                                backups() + "/photos.zip/2019/june?");
        QTRY_COMPARE(shell.paths.size(), 1);
        const QString opened = shell.paths.last();
        QVERIFY(opened.endsWith("/été.jpg"));
        QFile file(opened);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("jpeg"));
        const QString own = QFileInfo(QFileInfo(opened).path()).path();
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(own).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        QCOMPARE(QDir(own).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);

        boxes.queueAnswer(BoxAnswer::Yes);
        launcher->OpenContainingFolder();
        QCOMPARE(shell.paths.last(), backups());

        launcher->removeExtracted();
        QVERIFY(!QFileInfo::exists(own));
    }

    // A member of hundreds of MB is taken out beside the window: its events go on meanwhile,
    // the busy pointer shows, and the file opens (or the error box shows) once it has ended.
    void openBeside_data()
    {
        QTest::addColumn<qint64>("recorded"); // the member's size in its row
        QTest::addColumn<bool>("archiveGone");
        QTest::addColumn<int>("error"); // the box's number; 0: the member opens
        QTest::addColumn<QString>("description");
        QTest::newRow("opens after") << BigBytes << false << 0 << QString();
        QTest::newRow("more than recorded")
            << BigBytes / 2 << false << 75 << QString("Path/File access error");
        QTest::newRow("disc gone") << BigBytes << true << 53 << QString("File not found");
    }
    void openBeside()
    {
        QFETCH(qint64, recorded);
        QFETCH(bool, archiveGone);
        QFETCH(int, error);
        QFETCH(QString, description);
        addBigMember(recorded);
        if (archiveGone)
            QVERIFY(QFile::remove(backups() + "/big.zip"));
        RecordingShell shell;
        const std::unique_ptr<Launcher> launcher = launcherOn(shell);
        QueuedBoxes boxes;
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ticks += launcher->extracting(); });
        tick.start(2);
        selectOnly("video.mkv");
        boxes.queueAnswer(BoxAnswer::Yes);
        if (error != 0)
            boxes.queueAnswer(BoxAnswer::Ok);
        launcher->cmdExecuteFile_Click();
        QVERIFY(launcher->extracting());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QVERIFY(shell.paths.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!launcher->extracting(), 20000);
        QVERIFY(!QGuiApplication::overrideCursor());
        if (error == 0) {
            QVERIFY2(ticks > 0, "no event while taking the member out");
            QCOMPARE(shell.paths.size(), 1);
            QCOMPARE(QFileInfo(shell.paths.last()).size(), BigBytes);
        } else {
            QVERIFY(shell.paths.isEmpty());
            QCOMPARE(boxes.messages().size(), 2); // the question, then the error
            QCOMPARE(boxes.messages().last().text, ErrorBoxText(error, description));
        }
    }

    // Exit while a member is taken out stops it at once: nothing opens, nothing is left of the
    // private folder. A second Open of a member meanwhile is refused without a question.
    void exitWhileExtracting()
    {
        addBigMember(BigBytes);
        QTemporaryDir temp;
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        RecordingShell shell;
        const std::unique_ptr<Launcher> launcher = launcherOn(shell);
        QueuedBoxes boxes;
        selectOnly("video.mkv");
        boxes.queueAnswer(BoxAnswer::Yes);
        launcher->cmdExecuteFile_Click();
        qputenv("TMPDIR", oldTemp);
        QVERIFY(launcher->extracting());
        QCOMPARE(boxes.shown().size(), 1);
        selectOnly("readme");
        launcher->cmdExecuteFile_Click();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);

        QElapsedTimer timer;
        timer.start();
        launcher->removeExtracted();
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!launcher->extracting());
        QTest::qWait(50);
        QVERIFY(shell.paths.isEmpty());
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

private:
    static constexpr qint64 BigBytes = qint64(256) << 20;

    // big.zip beside photos.zip, holding video.mkv: BigBytes of zeros, deflated (a few MB to
    // write, a quarter of a second to inflate); its row records recorded bytes. The list is
    // loaded again to show it.
    void addBigMember(qint64 recorded)
    {
        QCOMPARE(
            QProcess::execute("python3",
                              {"-c",
                               "import zipfile,sys\n"
                               "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED,"
                               "compresslevel=1) as z:\n"
                               "  with z.open('video.mkv','w',force_zip64=True) as f:\n"
                               "    for i in range(int(sys.argv[2])>>20): f.write(bytes(1<<20))\n",
                               backups() + "/big.zip", QString::number(BigBytes)}),
            0);
        m_catalogue->exec(QString("INSERT INTO Files (ID, Path, File, Size, Archive, Serial) "
                                  "VALUES (3, '%1', 'big.zip', '1', 'DISC', '1234-5678')")
                              .arg(backups()));
        m_catalogue->exec(QString("INSERT INTO ArchiveMembers (ID, FileID, Path, File, Size) "
                                  "VALUES (4, 3, '', 'video.mkv', '%1')")
                              .arg(recorded));
        m_loaded = std::make_unique<LoadedCatalogue>();
        m_loaded->Form_Load(m_catalogue->folder());
    }
};

QTEST_MAIN(TestArchiveList)
#include "tst_archivelist.moc"
