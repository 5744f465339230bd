#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "support/indexingfixture.h"
#include "support/testcatalogue.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <sqlite3.h>

#include <functional>
#include <stdexcept>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString catalogueFile(const IndexingFixture &f)
{
    return f.folder() + QStringLiteral("/data.mdb");
}

// The system's lister, failing for one folder with the error it is given.
struct FailingLister : FolderLister
{
    explicit FailingLister(const PlatformError &error) : error(error) {}
    QByteArray GetFolder(const QString &p) override { return systemFolderLister().GetFolder(p); }
    void list(const QByteArray &folder, FolderEntries &entries) override
    {
        if (folder.endsWith("/B")) // 51: a failure that is no PlatformError
            error.number() == 51 ? throw std::runtime_error("list broken") : throw error;
        systemFolderLister().list(folder, entries);
    }
    PlatformError error;
};

// The system's metadata reader, calling a hook with each name before reading it.
struct HookedMetadata : FileMetadataReader
{
    FileMetadata read(const QByteArray &path) override
    {
        if (hook)
            hook(path.mid(path.lastIndexOf('/') + 1));
        return systemFileMetadataReader().read(path);
    }
    std::function<void(const QByteArray &)> hook;
};

// Answers "DATA1", 1234-5678 only for the folders below the one named A, as a disc mounted
// there inside a tree the query cannot identify (tmpfs, a network share, an overlay).
struct OneMountInside : VolumeQuery
{
    bool GetVolumeInformation(const QString &root, QString &label, quint32 &serial) override
    {
        if (!root.contains(QLatin1String("/A")) || !answers)
            return false;
        label = QStringLiteral("DATA1");
        serial = 0x12345678;
        return true;
    }
    bool GetVolumePathName(const QString &path, QString &root) override
    {
        const qsizetype at = path.indexOf(QLatin1String("/A"));
        if (at < 0)
            return false;
        root = path.left(at + 2);
        return true;
    }
    bool answers = true;
};

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
        QVERIFY(f.report.failures.isEmpty());
    }

    // A path that is no folder, or a folder that cannot be read, gets one error box; the
    // folders beside a failing one are still indexed, unless the medium itself failed.
    void oneErrorBox_data()
    {
        QTest::addColumn<QString>("folder"); // under tree()
        QTest::addColumn<QString>("box");    // number: description
        QTest::addColumn<QStringList>("files");
        QTest::newRow("missing") << QString("/no/such") << "76: Path not found" << QStringList();
        QTest::newRow("unreadable sub-folder")
            << QString() << "70: Permission denied" << QStringList({"a.txt", "d.txt", "r.txt"});
        QTest::newRow("internal error") << QString() << "51: Internal error: list broken"
                                        << QStringList({"a.txt", "d.txt", "r.txt"});
        QTest::newRow("failing medium")
            << QString() << "57: Device I/O error" << QStringList({"a.txt"});
    }
    void oneErrorBox()
    {
        QFETCH(QString, folder);
        QFETCH(QString, box);
        QFETCH(QStringList, files);
        IndexingFixture f;
        for (const char *file : {"A/a.txt", "B/b.txt", "B/C/c.txt", "D/d.txt", "r.txt"})
            f.makeFile(QString::fromLatin1(file));
        FailingLister lister(PlatformError(box.left(2).toInt(), box.mid(4)));
        FolderIndexer indexer(f.loaded.catalogue, f.report, f.volume, lister,
                              systemFileMetadataReader());
        indexer.IndexFolder(f.tree() + folder);
        QCOMPARE(f.rows(QStringLiteral("File")), files);
        QCOMPARE(f.report.failures, QStringList(box));
    }

    // A file is skipped only when the table has a row with its folder, name, label and serial
    // (blanks and an empty serial where the volume query fails), though the list shows a search.
    void duplicateTest_data()
    {
        QTest::addColumn<QString>("existing"); // Path|File|Archive|Serial, tree() as %1
        QTest::addColumn<bool>("written");
        QTest::newRow("same row") << "%1/x|a.txt|DATA1|1234-5678" << false;
        QTest::newRow("no volume answer") << "%1/x|a.txt|              |" << false;
        QTest::newRow("other folder") << "%1/y|a.txt|DATA1|1234-5678" << true;
        QTest::newRow("other disc") << "%1/x|a.txt|DATA1|1234-5679" << true;
        QTest::newRow("other label") << "%1/x|a.txt|DATA2|1234-5678" << true;
        QTest::newRow("other case") << "%1/x|A.txt|DATA1|1234-5678" << true;
    }
    void duplicateTest()
    {
        QFETCH(QString, existing);
        QFETCH(bool, written);
        IndexingFixture f;
        f.makeFile(QStringLiteral("x/a.txt"));
        f.volume.answers = existing.contains(QLatin1String("DATA"));
        const QStringList cells = existing.arg(f.tree()).split(QLatin1Char('|'));
        QVERIFY(f.exec(QStringLiteral("INSERT INTO Files (Path, File, Archive, Serial) VALUES "
                                      "('%1', '%2', '%3', '%4')")
                           .arg(cells[0], cells[1], cells[2], cells[3])));
        Catalogue &catalogue = f.loaded.catalogue;
        catalogue.openSearchView(QStringLiteral("none"));
        f.loaded.list.RefreshLv();
        for (int run = 0; run < 2; ++run) { // a second run adds nothing
            f.indexer.IndexFolder(f.tree() + QStringLiteral("/x"));
            QCOMPARE(f.rows().size(), written ? 2 : 1);
        }
    }

    // Sizes in full with separators (none for an empty file); days are UTC days, so 00:30 on
    // 5 March nine hours east of UTC is 4 March.
    void sizesAndDays()
    {
        const QByteArray previous = qgetenv("TZ");
        qputenv("TZ", "JST-9"); // needs no zone files
        ::tzset();
        IndexingFixture f;
        f.makeFile(QStringLiteral("a"), 0);
        f.makeFile(QStringLiteral("c"), qint64(5) << 30);
        const QString early = f.makeFile(QStringLiteral("d"));
        const time_t written =
            QDateTime(QDate(2002, 3, 4), QTime(15, 30), Qt::UTC).toSecsSinceEpoch();
        const struct timespec times[2] = {{written - 86400, 0}, {written, 0}}; // read a day before
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(early).constData(), times, 0), 0);
        f.indexer.IndexFolder(f.tree());
        qputenv("TZ", previous);
        ::tzset();
        QCOMPARE(f.rows("File, Size"), QStringList({"a|", "c|5,368,709,120", "d|1"}));
        QCOMPARE(f.rows(QStringLiteral("Accessed, Modified")).last(),
                 QStringLiteral("2002-03-03|2002-03-04"));
    }

    // A link to a folder is not followed (no endless walk); a link to a file is catalogued as the
    // file it names, under its own name; a broken link, a FIFO, a socket and a device node are
    // not files; names that are not UTF-8 are shown with replacement characters, stored by their
    // bytes and told apart by them, also by a second run.
    void unusualEntries()
    {
        IndexingFixture f;
        f.makeFile(QStringLiteral("sub/z.txt"), 5);
        const QByteArray tree = QFile::encodeName(f.tree()), odd = tree + "/caf\xe9";
        const QByteArray names[] = {"bad\xfe\xff.txt", "bad\xff\xfe.txt"};
        QCOMPARE(::symlink("..", (tree + "/sub/loop").constData()), 0);
        QCOMPARE(::symlink("gone", (tree + "/sub/dangling").constData()), 0);
        QCOMPARE(::symlink("z.txt", (tree + "/sub/link.txt").constData()), 0);
        QCOMPARE(::mkfifo((tree + "/sub/fifo").constData(), 0644), 0);
        // A device node as /dev holds them, where this system lets one be made.
        ::mknod((tree + "/sub/null").constData(), S_IFCHR | 0644, makedev(1, 3));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = tree + "/sub/socket";
        qstrncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path);
        const int unixSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(unixSocket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QCOMPARE(::mkdir(odd.constData(), 0755), 0);
        for (const QByteArray &name : names) {
            const int fd = ::open((odd + '/' + name).constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && ::ftruncate(fd, 12) == 0);
            ::close(fd);
        }
        f.indexer.IndexFolder(f.tree());
        f.indexer.IndexFolder(f.tree());
        ::close(unixSocket);
        for (const QByteArray &name : names) // QTemporaryDir cannot name these
            ::unlink((odd + '/' + name).constData());
        ::rmdir(odd.constData());
        const QString bad(QChar::ReplacementCharacter),
            t = f.tree(),
            dates = "|" + QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate),
            odds = t + "/caf" + bad + "|bad" + bad + bad + ".txt|12|DATA1" + dates + dates + "|0";
        QCOMPARE(f.rows(QStringLiteral(
                     "Path, File, Size, Archive, Accessed, Created, Modified is null")),
                 QStringList({odds, odds, t + "/sub|link.txt|5|DATA1" + dates + dates + "|0",
                              t + "/sub|z.txt|5|DATA1" + dates + dates + "|0"}));
        const QString oddHex = QString::fromLatin1(odd.toHex().toUpper());
        QCOMPARE(f.rows(QStringLiteral("hex(Path), hex(File)")).mid(0, 2),
                 QStringList({oddHex + "|" + names[0].toHex().toUpper(),
                              oddHex + "|" + names[1].toHex().toUpper()}));
        QVERIFY(f.report.failures.isEmpty());
    }

    // Every filesystem inside the tree is its own medium: a folder the query cannot identify
    // gets the blank label and empty serial and the run goes on, also after a medium that was
    // identified; a medium inside the tree that answered and then went ends the run with one
    // box.
    void mountsInsideTheTree_data()
    {
        QTest::addColumn<bool>("goes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("failures");
        const QString blank(14, QLatin1Char(' '));
        QTest::newRow("identified, then not")
            << false
            << QStringList({"A/S|s1|DATA1|1234-5678", "A|a1|DATA1|1234-5678", "B|b1|" + blank + "|",
                            "r1|" + blank + "|"})
            << QStringList();
        QTest::newRow("the inner medium taken out")
            << true << QStringList({"A/S|s1|DATA1|1234-5678"}) << QStringList("71: Disk not ready");
    }
    void mountsInsideTheTree()
    {
        QFETCH(bool, goes);
        IndexingFixture f;
        for (const char *file : {"A/a1", "A/S/s1", "B/b1", "r1"})
            f.makeFile(QString::fromLatin1(file));
        OneMountInside volumes;
        HookedMetadata metadata;
        metadata.hook = [&](const QByteArray &name) {
            if (goes && name == "s1")
                volumes.answers = false;
        };
        FolderIndexer indexer(f.loaded.catalogue, f.report, volumes, systemFolderLister(),
                              metadata);
        indexer.IndexFolder(f.tree());
        QStringList rows;
        for (const QString &row : f.rows())
            rows.append(row.mid(f.tree().size() + 1).replace(QLatin1String("<null>"), QString()));
        QTEST(rows, "rows");
        QTEST(f.report.failures, "failures");
    }

    // A disc's Catalogued time moves when a run writes rows of it, not when a run finds all of
    // its files catalogued already.
    void cataloguedTimeMovesOnlyWithRowsWritten()
    {
        IndexingFixture f;
        f.makeFile(QStringLiteral("a.txt"));
        const auto catalogued = [&f] {
            return f
                .rows(QStringLiteral("(SELECT group_concat(Archive || ' ' || Catalogued) "
                                     "FROM MediumCatalogued)"))
                .first();
        };
        f.indexer.IndexFolder(f.tree());
        const QString old = QStringLiteral("DATA1 2001-02-03 04:05:06");
        QVERIFY(f.exec(QStringLiteral("UPDATE MediumCatalogued SET Catalogued = '2001-02-03 "
                                      "04:05:06'")));
        f.indexer.IndexFolder(f.tree()); // a.txt is there already
        QCOMPARE(catalogued(), old);
        f.makeFile(QStringLiteral("b.txt"));
        f.indexer.IndexFolder(f.tree());
        QVERIFY(catalogued().startsWith(QLatin1String("DATA1 2")) && catalogued() != old);
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList({"a.txt", "b.txt"}));
    }

    // A run ends at once, with at most one box, when it is cancelled or when the medium or the
    // catalogue fails. A pause at b1 makes A and b1 one committed group before it ends at c1.
    void runEndsWithOneBox_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("box"); // its description, empty for no box
        const QStringList before{"a1", "a2", "b1", "b2"};
        QTest::newRow("cancelled") << "cancel" << before + QStringList("c1") << QString();
        QTest::newRow("device error") << "57" << before << "57: Device I/O error";
        QTest::newRow("medium taken out") // found at the next folder's query
            << "volume" << before + QStringList({"c1", "c2"}) << "71: Disk not ready";
        QTest::newRow("catalogue locked")
            << "lock" << QStringList({"a1", "a2", "b1"}) << "5: database is locked";
    }
    void runEndsWithOneBox()
    {
        QFETCH(QString, ending);
        QFETCH(QString, box);
        IndexingFixture f;
        for (const char *file : {"A/a1", "A/a2", "B/b1", "B/b2", "C/c1", "C/c2", "D/d1"})
            f.makeFile(QString::fromLatin1(file));
        HookedMetadata metadata;
        sqlite3 *other = nullptr;
        metadata.hook = [&](const QByteArray &name) {
            if (name == "b1")
                QThread::msleep(200);
            if (name != "c1")
                return;
            if (ending == QLatin1String("cancel"))
                f.report.stop = true;
            else if (ending == QLatin1String("57"))
                throw PlatformError(57, QStringLiteral("Device I/O error"));
            else if (ending == QLatin1String("volume"))
                f.volume.answers = false;
            else if (!QTest::qWaitFor([&] { // the group is written beside the walk
                         return TestCatalogue::rows(catalogueFile(f)).size() == 3;
                     }) ||
                     sqlite3_open(QFile::encodeName(catalogueFile(f)).constData(), &other) != 0 ||
                     sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != 0)
                qFatal("cannot lock the catalogue");
            QThread::msleep(200);
        };
        FolderIndexer indexer(f.loaded.catalogue, f.report, f.volume, systemFolderLister(),
                              metadata);
        indexer.IndexFolder(f.tree());
        sqlite3_close(other); // gives up its lock
        QTEST(f.rows(QStringLiteral("File")), "files");
        for (const QString &row : f.rows(QStringLiteral("Archive, Serial")))
            QCOMPARE(row, QStringLiteral("DATA1|1234-5678"));
        QCOMPARE(f.report.failures, box.isEmpty() ? QStringList() : QStringList(box));
        QCOMPARE(f.report.last.catalogued, f.rows().size());
    }

    // A catalogue on a full disk: one box, the groups written before it kept, the file whole.
    void fullDisk()
    {
        IndexingFixture f;
        QTemporaryDir disk;
        if (QProcess::execute(QStringLiteral("mount"),
                              {"-t", "tmpfs", "-o", "size=640k", "tmpfs", disk.path()}) != 0)
            QSKIP("cannot mount a small disk here");
        const QString name(120, QLatin1Char('n'));
        for (int i = 0; i < 3000; ++i)
            f.makeFile(QStringLiteral("F%1/%2%3").arg(i / 100).arg(name).arg(i), 0);
        const QString file = TestCatalogue::create(disk.path());
        {
            Catalogue catalogue;
            catalogue.open(file);
            HookedMetadata metadata;
            metadata.hook = [](const QByteArray &name) {
                if (name.endsWith("n50"))
                    QThread::msleep(200);
            };
            FolderIndexer indexer(catalogue, f.report, f.volume, systemFolderLister(), metadata);
            indexer.IndexFolder(f.tree());
        }
        const int written = TestCatalogue::rows(file).size();
        const QString check = TestCatalogue::value(file, "PRAGMA integrity_check");
        QProcess::execute(QStringLiteral("umount"), {disk.path()});
        QVERIFY2(written > 0 && written < 3000, qPrintable(QString::number(written)));
        QCOMPARE(check, "ok");
        QCOMPARE(f.report.failures.size(), 1);
        QVERIFY(f.report.failures[0].startsWith(QLatin1String("13: ")));
    }

    // The counts of a run: files written, files found already catalogued.
    void progressCounts()
    {
        IndexingFixture f;
        for (const char *file : {"A/a1", "A/a2", "b1"})
            f.makeFile(QString::fromLatin1(file));
        f.indexer.IndexFolder(f.tree());
        f.makeFile(QStringLiteral("A/a3"));
        f.indexer.IndexFolder(f.tree());
        QCOMPARE(f.report.last.catalogued, 1);
        QCOMPARE(f.report.last.skipped, 3);
    }

    // An update brings a medium's rows to its files: new ones added, gone files and folders
    // removed, resized or re-dated ones changed under their own ID. A folder that cannot be
    // read keeps its rows, and so does every folder not read whole before a stop.
    void update_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QStringList>("rows"); // ID|Path below the tree|File|Size|Modified
        QTest::addColumn<QString>("counts");   // added changed removed
        QTest::addColumn<QStringList>("boxes");
        const QString a = "1|/A|a.txt|1|2001-01-01", added = "7|/A|new.txt|1|now";
        QTest::newRow("read whole")
            << QString() << QStringList({a, "3|/B|b.txt|2|now", "6||r.txt|3|now", added}) << "1 3 3"
            << QStringList();
        QTest::newRow("unreadable folder")
            << "70"
            << QStringList({a, "2|/B/C|c.txt|1|now", "3|/B|b.txt|1|now", "6||r.txt|3|now", added})
            << "1 2 2" << QStringList("70: Permission denied");
        QTest::newRow("stopped part-way")
            << "stop"
            << QStringList({a, "3|/B|b.txt|2|now", "4|/D|d.txt|1|now", "5|/G|g.txt|1|now",
                            "6||r.txt|1|now", added})
            << "1 2 1" << QStringList();
    }
    void update()
    {
        QFETCH(QString, ending);
        IndexingFixture f;
        for (const char *file : {"A/a.txt", "B/C/c.txt", "B/b.txt", "D/d.txt", "G/g.txt", "r.txt"})
            f.makeFile(QString::fromLatin1(file));
        f.indexer.IndexFolder(f.tree());
        f.makeFile(QStringLiteral("A/new.txt"));
        f.makeFile(QStringLiteral("B/b.txt"), 2);
        f.makeFile(QStringLiteral("r.txt"), 3);
        const time_t old = QDateTime(QDate(2001, 1, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
        const struct timespec times[2] = {{old - 366 * 86400, 0}, {old, 0}}; // read a year before
        QCOMPARE(
            ::utimensat(AT_FDCWD, QFile::encodeName(f.tree() + "/A/a.txt").constData(), times, 0),
            0);
        for (const char *gone : {"B/C/c.txt", "D/d.txt", "G/g.txt"})
            QVERIFY(QFile::remove(f.tree() + QLatin1Char('/') + QLatin1String(gone)));
        QVERIFY(QDir(f.tree()).rmdir(QStringLiteral("G")));

        FailingLister lister(PlatformError(70, QStringLiteral("Permission denied")));
        HookedMetadata metadata;
        metadata.hook = [&](const QByteArray &name) {
            if (name == "b.txt" && ending == QLatin1String("stop"))
                f.report.stop = true;
        };
        FolderIndexer indexer(f.loaded.catalogue, f.report, f.volume,
                              ending == QLatin1String("70") ? static_cast<FolderLister &>(lister)
                                                            : systemFolderLister(),
                              metadata);
        indexer.UpdateMedium(f.tree(), QStringLiteral("DATA1"), QStringLiteral("1234-5678"));
        const QString now = QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate);
        QStringList rows;
        for (const QString &row : f.rows(QStringLiteral("ID, Path, File, Size, Modified")))
            rows.append(QString(row).replace(f.tree(), QString()).replace(now, "now"));
        QTEST(rows, "rows");
        QCOMPARE(f.rows(QStringLiteral("Accessed")).first(), QStringLiteral("2000-01-01"));
        const IndexingProgress &done = f.report.last;
        QTEST(QStringLiteral("%1 %2 %3").arg(done.catalogued).arg(done.changed).arg(done.removed),
              "counts");
        QTEST(f.report.failures, "boxes");
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
        QCOMPARE(f.rows(QStringLiteral("File")), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(f.report.failures.size(), 1);
        QVERIFY(f.report.failures[0].contains(QStringLiteral(": refused")));
    }
};

QTEST_GUILESS_MAIN(TestFolderIndexer)
#include "tst_folderindexer.moc"
