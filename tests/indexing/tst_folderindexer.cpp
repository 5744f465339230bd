#include "indexing/colffiles.h"
#include "platform/platformerror.h"
#include "platform/volumequery.h"
#include "support/indexingfixture.h"

#include <QtTest>

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errorBox(int number, const QString &description)
{
    return QStringLiteral("An error has occurred.\r\nError: %1\r\nDescription: %2")
        .arg(number)
        .arg(description);
}

// The system's lister, failing for one folder as a disc with a bad sector would.
class FailingLister : public FolderLister
{
public:
    QByteArray GetFolder(const QString &path) override
    {
        return systemFolderLister().GetFolder(path);
    }
    void list(const QByteArray &folder, FolderEntries &entries) override
    {
        if (folder.endsWith(failing))
            throw PlatformError(57, QStringLiteral("Device I/O error"));
        systemFolderLister().list(folder, entries);
    }
    QByteArray failing;
};

bool run(const QString &command)
{
    return std::system(qPrintable(command + QStringLiteral(" >/dev/null 2>&1"))) == 0;
}

} // namespace

class TestFolderIndexer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void treeIsIndexedSubFoldersFirst()
    {
        IndexingFixture f;
        for (const char *file : {"r.txt", "S1/a.txt", "S2/b.txt", "S2/T/c.txt"})
            f.makeFile(QString::fromLatin1(file));
        f.indexer.IndexFolder(f.tree() + QStringLiteral("/"));
        const QString t = f.tree();
        QCOMPARE(f.rows(),
                 QStringList({t + "/S1|a.txt|DATA1|1234-5678", t + "/S2/T|c.txt|DATA1|1234-5678",
                              t + "/S2|b.txt|DATA1|1234-5678", t + "|r.txt|DATA1|1234-5678"}));
        QVERIFY(f.boxes.shown.isEmpty());
        QCOMPARE(f.pointer.shapes, QList<int>({11, 11, 0, 11, 11, 0, 0, 0}));
        QCOMPARE(f.volume.asked.first(), t + "/S1"); // each folder's own path
        QCOMPARE(f.workspace.colIndexed.Count(), 4);
        const auto record = f.workspace.colIndexed.Item("DATA1;1234-5678;" + t + "/S2/Tc.txt");
        QCOMPARE(record->FileSize(), 1);
    }

    void nothingOrAnErrorBox_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QList<int>>("shapes");
        QTest::newRow("empty") << QString() << QStringList() << QList<int>();
        QTest::newRow("missing") << QStringLiteral("/no/such/folder")
                                 << QStringList(errorBox(76, "Path not found"))
                                 << QList<int>({11, 0});
        QTest::newRow("a file") << QStringLiteral("/etc/hostname")
                                << QStringList(errorBox(76, "Path not found"))
                                << QList<int>({11, 0});
    }
    void nothingOrAnErrorBox()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, boxes);
        QFETCH(QList<int>, shapes);
        IndexingFixture f;
        f.indexer.IndexFolder(path);
        QStringList shown;
        for (const auto &box : f.boxes.shown) {
            QCOMPARE(box.title, QStringLiteral("Error"));
            QCOMPARE(box.flags, 16);
            shown << box.text;
        }
        QCOMPARE(shown, boxes);
        QCOMPARE(f.pointer.shapes, shapes);
        QVERIFY(f.rows().isEmpty());
    }

    void failingFolderEndsOnlyItself()
    {
        IndexingFixture f;
        for (const char *file : {"A/a.txt", "B/b.txt", "B/C/c.txt", "D/d.txt", "r.txt"})
            f.makeFile(QString::fromLatin1(file));
        FailingLister lister;
        lister.failing = "/B";
        FolderIndexer indexer(f.workspace.cnCatalogue, f.workspace.rsFiles, f.workspace.colIndexed,
                              f.pointer, f.volume, lister, systemFileMetadataReader());
        indexer.IndexFolder(f.tree());
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList({"a.txt", "d.txt", "r.txt"}));
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, errorBox(57, "Device I/O error"));
        QCOMPARE(f.pointer.mousePointer(), 0);
    }

    // A file is skipped only when the table has a row with its folder, name, label and serial,
    // whatever view the list shows.
    void duplicateTest_data()
    {
        QTest::addColumn<QString>("existing"); // Path|File|Archive|Serial, tree() as %1
        QTest::addColumn<bool>("searchView");
        QTest::addColumn<bool>("written");
        QTest::newRow("same row") << "%1/x|a.txt|DATA1|1234-5678" << false << false;
        QTest::newRow("same row, search view") << "%1/x|a.txt|DATA1|1234-5678" << true << false;
        QTest::newRow("other folder") << "%1/y|a.txt|DATA1|1234-5678" << false << true;
        QTest::newRow("other disc") << "%1/x|a.txt|DATA1|1234-5679" << false << true;
        QTest::newRow("other label") << "%1/x|a.txt|DATA2|1234-5678" << false << true;
        QTest::newRow("other case") << "%1/x|A.txt|DATA1|1234-5678" << false << true;
    }
    void duplicateTest()
    {
        QFETCH(QString, existing);
        QFETCH(bool, searchView);
        QFETCH(bool, written);
        IndexingFixture f;
        f.makeFile(QStringLiteral("x/a.txt"));
        const QStringList cells = existing.arg(f.tree()).split(QLatin1Char('|'));
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File, Archive, Serial) VALUES "
                                      "('%1', '%2', '%3', '%4')")
                           .arg(cells[0], cells[1], cells[2], cells[3])));
        if (searchView) {
            f.workspace.rsFiles.Close();
            f.workspace.rsFiles.Open(QStringLiteral("SELECT * FROM Files WHERE File = 'none'"),
                                     &f.workspace.cnCatalogue, adOpenKeyset, adLockPessimistic);
        }
        f.workspace.RefreshLv();
        f.indexer.IndexFolder(f.tree() + QStringLiteral("/x"));
        QCOMPARE(f.rows().size(), written ? 2 : 1);
        f.indexer.IndexFolder(f.tree() + QStringLiteral("/x")); // a second run adds nothing
        QCOMPARE(f.rows().size(), written ? 2 : 1);
    }

    void sameNameInTwoFoldersAndAFailedQuery()
    {
        IndexingFixture f;
        f.makeFile(QStringLiteral("p/readme.txt"));
        f.makeFile(QStringLiteral("q/readme.txt"));
        f.volume.answers = false;
        f.indexer.IndexFolder(f.tree());
        f.indexer.IndexFolder(f.tree());
        const QString blanks(14, QLatin1Char(' '));
        QCOMPARE(f.rows(QStringLiteral("File, Archive, quote(Serial)")),
                 QStringList({"readme.txt|" + blanks + "|''", "readme.txt|" + blanks + "|''"}));
    }

    void sizes_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << "<null>";
        QTest::newRow("999") << qint64(999) << "999";
        QTest::newRow("1234567") << qint64(1234567) << "1,234,567";
        QTest::newRow("3 GiB") << (qint64(3) << 30) << "3,221,225,472";
        QTest::newRow("5 GiB") << (qint64(5) << 30) << "5,368,709,120";
    }
    void sizes()
    {
        QFETCH(qint64, size);
        QFETCH(QString, text);
        IndexingFixture f;
        f.makeFile(QStringLiteral("f"), size);
        f.indexer.IndexFolder(f.tree());
        const QString stored = f.rows(QStringLiteral("Size")).value(0);
        QCOMPARE(stored == QLatin1String("") ? QStringLiteral("<null>") : stored, text);
    }

    void datesAreUtcDays()
    {
        const QByteArray previous = qgetenv("TZ");
        qputenv("TZ", "Asia/Tokyo");
        ::tzset();
        struct tm local = {};
        local.tm_year = 2002 - 1900;
        local.tm_mon = 2;
        local.tm_mday = 5;
        local.tm_min = 30;
        local.tm_isdst = -1;
        const time_t written = ::mktime(&local); // 00:30 on 5 March in Tokyo
        qputenv("TZ", previous);
        ::tzset();

        IndexingFixture f;
        const QString file = f.makeFile(QStringLiteral("early.txt"));
        const struct timespec times[2] = {{written, 0}, {written, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
        f.indexer.IndexFolder(f.tree());
        QCOMPARE(f.rows(QStringLiteral("Accessed, Modified")),
                 QStringList("2002-03-04|2002-03-04"));
        // The birth time (today) where the filesystem keeps one, else the last write.
        const QString today = QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate);
        const QString created = f.rows(QStringLiteral("Created")).value(0);
        QVERIFY2(created == today || created == QLatin1String("2002-03-04"), qPrintable(created));
    }

    // A link to a folder is not followed (no endless walk); a file that cannot be read gets no
    // size and no dates, and the next file its own.
    void linksAndUnreadableFiles()
    {
        IndexingFixture f;
        f.makeFile(QStringLiteral("sub/z.txt"), 5);
        const QByteArray sub = QFile::encodeName(f.tree() + "/sub");
        QCOMPARE(::symlink("..", (sub + "/loop").constData()), 0);
        QCOMPARE(::symlink("gone", (sub + "/dangling").constData()), 0);
        QCOMPARE(::symlink("z.txt", (sub + "/link.txt").constData()), 0);
        f.indexer.IndexFolder(f.tree());
        const QString today = QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate);
        QCOMPARE(
            f.rows(QStringLiteral("File, Size, Accessed, Created, Modified is null")),
            QStringList({"dangling||<null>|<null>|1", "link.txt|5|" + today + "|" + today + "|0",
                         "z.txt|5|" + today + "|" + today + "|0"}));
        QVERIFY(f.boxes.shown.isEmpty());
    }

    void rowRefusedByTheEngineIsDropped()
    {
        IndexingFixture f;
        for (const char *file : {"A/a.txt", "A/bad.txt", "A/c.txt", "B/b.txt"})
            f.makeFile(QString::fromLatin1(file));
        QVERIFY(f.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Files WHEN "
                                      "new.File = 'bad.txt' BEGIN SELECT RAISE(ABORT, 'refused'); "
                                      "END")));
        f.indexer.IndexFolder(f.tree());
        f.workspace.RefreshLv();
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(f.workspace.lvwFiles.count(), 2);
        QCOMPARE(f.boxes.shown.size(), 1);
        QVERIFY(f.boxes.shown[0].text.contains(QStringLiteral("Description: refused")));
    }

    void manyRowsAndNamesThatAreNotUtf8()
    {
        IndexingFixture f;
        QVERIFY(f.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
            "INSERT INTO Files (Path, File, Archive, Serial) SELECT '/old', 'f' || i, 'DATA1', "
            "'1234-5678' FROM n")));
        f.workspace.RefreshLv();
        const QByteArray folder = QFile::encodeName(f.tree()) + "/caf\xe9";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        const int fd = ::open((folder + "/\xff.txt").constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        f.indexer.IndexFolder(f.tree());
        QVERIFY(f.boxes.shown.isEmpty());
        const QString bad(QChar::ReplacementCharacter);
        QCOMPARE(f.rows().last(), f.tree() + "/caf" + bad + "|" + bad + ".txt|DATA1|1234-5678");
        QCOMPARE(f.volume.asked.last(), f.tree()); // the nearest folder the query can be given
        ::unlink((folder + "/\xff.txt").constData());
        ::rmdir(folder.constData());
    }

    // An older catalogue gets the lookup index when it opens, and the lookup uses it.
    void catalogueGetsTheLookupIndex()
    {
        IndexingFixture f;
        QVERIFY(f.exec(QStringLiteral("DROP INDEX FilesByFolder")));
        FolderIndexer::prepareCatalogue(f.workspace.cnCatalogue);
        sqlite3_stmt *plan = nullptr;
        QCOMPARE(sqlite3_prepare_v2(f.workspace.cnCatalogue.handle(),
                                    "EXPLAIN QUERY PLAN SELECT File FROM Files WHERE Path = ?1 AND "
                                    "Archive = ?2 AND Serial = ?3",
                                    -1, &plan, nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_step(plan), SQLITE_ROW);
        const QString detail =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan, 3)));
        sqlite3_finalize(plan);
        QVERIFY2(detail.contains(QStringLiteral(
                     "COVERING INDEX FilesByFolder (Path=? AND Archive=? AND Serial=?)")),
                 qPrintable(detail));
    }

    // Through a real mount and the system's volume query, where this machine lets us mount.
    void mountedExt4Image()
    {
        QTemporaryDir work;
        const QString image = work.path() + "/disc.img";
        const QString mount = work.path() + "/mnt";
        QDir().mkpath(mount);
        if (!run("truncate -s 16M " + image) ||
            !run("mkfs.ext4 -q -L DISC7 -U 0a1b2c3d-0000-4000-8000-000000000000 " + image))
            QSKIP("mkfs.ext4 is not available");
        if (!run("mount -o loop " + image + " " + mount))
            QSKIP("this machine refuses loop mounts");
        struct Unmount
        {
            QByteArray path;
            ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
        } unmount{QFile::encodeName(mount)};
        QVERIFY(run("(mkdir " + mount + "/docs && echo hello > " + mount + "/docs/note.txt)"));
        IndexingFixture f;
        FolderIndexer indexer(f.workspace.cnCatalogue, f.workspace.rsFiles, f.workspace.colIndexed,
                              f.pointer, systemVolumeQuery(), systemFolderLister(),
                              systemFileMetadataReader());
        indexer.IndexFolder(mount);
        QCOMPARE(f.rows(QStringLiteral("Path, File, Size, Archive, Serial")),
                 QStringList(mount + "/docs|note.txt|6|DISC7|A1B-2C3D"));
    }
};

QTEST_GUILESS_MAIN(TestFolderIndexer)
#include "tst_folderindexer.moc"
