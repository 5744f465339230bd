// Indexes a generated tree of 100,000 files into a catalogue of 1,000,000 rows, one committed row
// per file, and compares the time with find reading the same metadata of the same tree.
// Usage: bench_indexing [files] [catalogue rows]
#include "indexing/colffiles.h"
#include "indexing/folderindexer.h"
#include "platform/app.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mousepointer.h"
#include "platform/volumequery.h"
#include "window/workspace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool g_allOk = true;

void report(const char *operation, const QString &measured, const QString &target, bool ok)
{
    std::printf("%s\t%s\t%s\t%s\n", operation, qPrintable(measured), qPrintable(target),
                ok ? "ok" : "MISSED");
    std::fflush(stdout);
    g_allOk = g_allOk && ok;
}

double cpuSeconds()
{
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void makeCatalogue(const QString &folder, qint64 rows)
{
    QFile schema(QStringLiteral(VELLUMARK_SCHEMA));
    if (!schema.open(QIODevice::ReadOnly))
        qFatal("cannot read the schema");
    sqlite3 *db = nullptr;
    const QByteArray file = QFile::encodeName(folder + "/data.mdb");
    const QByteArray fill =
        QStringLiteral(
            "BEGIN; WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, Archive, Serial) "
            "SELECT '/media/cdrom/Music/Artist ' || (i / 200) || '/Album ' || (i / 20 % 10), "
            "'Track ' || (i % 20) || ' - title ' || i || '.mp3', '4,' || (100 + i % 900) || "
            "',123', '2003-05-0' || (1 + i % 9), '2004-01-1' || (i % 10), '2003-05-0' || "
            "(1 + i % 9), 'DISC' || (i / 700), printf('%04X-%04X', i / 700, i % 65536) FROM n; "
            "COMMIT;")
            .arg(rows - 1)
            .toUtf8();
    char *error = nullptr;
    if (sqlite3_open(file.constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, &error) != SQLITE_OK ||
        sqlite3_exec(db, fill.constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("cannot make the catalogue: %s", error ? error : sqlite3_errmsg(db));
    sqlite3_close(db);
}

// 100 folders of 10 sub-folders of files, names of realistic length.
void makeTree(const QByteArray &root, int files)
{
    const int perFolder = 100;
    for (int i = 0; i < files; ++i) {
        const QByteArray folder = root + "/Collection " + QByteArray::number(i / (perFolder * 10)) +
                                  "/Album " + QByteArray::number(i / perFolder % 10);
        if (i % perFolder == 0) {
            ::mkdir((root + "/Collection " + QByteArray::number(i / (perFolder * 10))).constData(),
                    0755);
            ::mkdir(folder.constData(), 0755);
        }
        const QByteArray file = folder + "/Track " + QByteArray::number(i % perFolder) +
                                " - some title " + QByteArray::number(i) + ".mp3";
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, 1000 + i) != 0)
            qFatal("cannot make %s", file.constData());
        ::close(fd);
    }
}

double timeFind(const QByteArray &root)
{
    const QByteArray command = "find '" + root + "' -type f -printf '%s %T@ %A@\\n' > /dev/null";
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (std::system(command.constData()) != 0)
            qFatal("find failed");
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

qint64 rowCount(Workspace &workspace)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(workspace.cnCatalogue.handle(), "SELECT count(*) FROM Files", -1, &stmt,
                       nullptr);
    sqlite3_step(stmt);
    const qint64 count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const qint64 catalogueRows = argc > 2 ? std::atoll(argv[2]) : 1000000;

    // The keyed collection alone, at a million records.
    if (!qEnvironmentVariableIsSet("BENCH_INDEXING_ONLY")) {
        colFFiles collection;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 1000000; ++i)
            collection.Add(QStringLiteral("DISC7;1A2B-3C4D;/media/cdrom/Music/Album %1/Track %2.mp3")
                               .arg(i / 20)
                               .arg(i));
        collection.Add(QStringLiteral("disc7;1a2b-3c4d;/media/cdrom/music/album 0/track 0.mp3"));
        const double seconds = timer.nsecsElapsed() / 1e9;
        report("colFFiles: add 1,000,000 keys", QString::number(seconds, 'f', 2) + " s", "<= 2 s",
               seconds <= 2.0 && collection.Count() == 1000000);
    }

    QTemporaryDir work(QDir::tempPath() + "/bench_indexing-XXXXXX");
    // BENCH_TREE names a tree kept from an earlier run (made there when missing), so that
    // repeated runs need not make 100,000 files again.
    const QByteArray kept = qgetenv("BENCH_TREE");
    const QByteArray tree = kept.isEmpty() ? QFile::encodeName(work.path() + "/tree") : kept;

    QElapsedTimer timer;
    timer.start();
    makeCatalogue(work.path(), catalogueRows);
    if (::mkdir(tree.constData(), 0755) == 0)
        makeTree(tree, files);
    std::fprintf(stderr, "setup: %.1f s\n", timer.nsecsElapsed() / 1e9);

    const double findSeconds = timeFind(tree); // also warms the cache

    RecordedPointer pointer;
    Workspace workspace(pointer);
    App::setPathForTesting(work.path());
    workspace.Form_Load();
    malloc_trim(0);
    const qint64 rssBefore = statusKb("VmRSS:");
    const qint64 peakBefore = statusKb("VmHWM:");

    colFFiles colIndexed;
    FolderIndexer indexer(workspace.cnCatalogue, workspace.rsFiles, colIndexed, pointer,
                          systemVolumeQuery(), systemFolderLister(), systemFileMetadataReader());
    const double cpuBefore = cpuSeconds();
    timer.restart();
    indexer.IndexFolder(QString::fromUtf8(tree));
    const double indexSeconds = timer.nsecsElapsed() / 1e9;
    std::fprintf(stderr, "indexing: %.2f s wall, %.2f s processor\n", indexSeconds,
                 cpuSeconds() - cpuBefore);
    const qint64 rssAfter = statusKb("VmRSS:");
    const qint64 peakAfter = statusKb("VmHWM:");
    const int records = colIndexed.Count();
    const qint64 rows = rowCount(workspace);

    const double rate = files / indexSeconds;
    report("index tree (files/s, each row committed)", QString::number(qRound(rate)) + " files/s",
           ">= 50000 files/s", rate >= 50000 && rows == catalogueRows + files);
    report("index time / find time",
           QStringLiteral("%1 s / %2 s = %3x")
               .arg(indexSeconds, 0, 'f', 2)
               .arg(findSeconds, 0, 'f', 3)
               .arg(indexSeconds / findSeconds, 0, 'f', 1),
           "<= 4x", indexSeconds <= 4 * findSeconds);

    // What the walk itself holds, with colIndexed's records (one per row, kept) taken out.
    const qint64 perRecord = records ? (rssAfter - rssBefore) * 1024 / records : 0;
    report("RSS before / after indexing (peak)",
           QStringLiteral("%1 / %2 MB (peak %3 / %4 MB), %5 bytes per file")
               .arg(rssBefore / 1024)
               .arg(rssAfter / 1024)
               .arg(peakBefore / 1024)
               .arg(peakAfter / 1024)
               .arg(perRecord),
           "-", true);
    return g_allOk ? 0 : 1;
}
