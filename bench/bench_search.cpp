// Search, removal and the name index's cost at a million rows.
// Usage: bench_search [ROWS] (default 1,000,000); the catalogue is kept in bench-data/.
// Prints: operation <TAB> measured <TAB> target <TAB> ok|MISSED
#include "report.h"

#include "catalogue/catalogue.h"
#include "catalogue/schema.h"
#include "catalogue/searchindex.h"
#include "platform/recordset.h"
#include "window/frmmain.h"
#include "window/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTableView>

#include <sqlite3.h>

#include <cstdio>

namespace {

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("%s: %s", sql, error);
}

qint64 scalar(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return -1;
    const qint64 value =
        sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    return value;
}

// Names as discs hold them, with a few marked families that the searches look for.
QByteArray fileName(qint64 i)
{
    static const char *const words[] = {
        "alpha",  "river",  "stone", "garden", "report", "summer", "winter", "track",
        "letter", "budget", "photo", "music",  "backup", "drive",  "notes",  "plan",
        "world",  "light",  "night", "house",  "paper",  "green",  "blue",   "final",
        "draft",  "copy",   "old",   "new",    "song",   "album",  "cover",  "index"};
    const int n = sizeof(words) / sizeof(words[0]);
    if (i % 2000 == 7)
        return QByteArray("Vacation Snapshot ") + QByteArray::number(i) + ".jpg";
    if (i % 4000 == 11)
        return QByteArray("Café Überblick ") + QByteArray::number(i) + ".txt";
    if (i % 5000 == 13)
        return QByteArray("Qx-") + QByteArray::number(i) + ".bin";
    switch (i % 4) {
    case 0:
        return QByteArray("IMG_") + QByteArray::number(i % 100000).rightJustified(5, '0') + ".JPG";
    case 1:
        return QByteArray::number(i % 20 + 1).rightJustified(2, '0') + " - " + words[(i / 7) % n] +
               " " + words[(i / 13) % n] + ".mp3";
    case 2:
        return QByteArray(words[(i / 3) % n]) + "_" + words[(i / 11) % n] + "." +
               (i % 3 ? "doc" : "pdf");
    default:
        return QByteArray(words[(i / 5) % n]) + QByteArray::number(i % 97) + ".dll";
    }
}

// Makes the catalogue, or tops it up to rows when an earlier run removed some.
void makeCatalogue(const QString &file, qint64 rows)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(file));
    SearchIndex::registerFunctions(db);
    exec(db, "PRAGMA journal_mode=WAL");
    // The table alone: the name index is made at the first open, as for an older catalogue.
    if (scalar(db, "SELECT count(*) FROM sqlite_master WHERE name = 'Files'") == 0)
        exec(db, Schema::section("files").constData());
    const qint64 have = scalar(db, "SELECT count(*) FROM Files");
    if (have < rows) {
        std::fprintf(stderr, "making %lld rows ...\n", rows - have);
        exec(db, "BEGIN");
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, "
                           "Archive, Serial) VALUES (?, ?, ?, '2019-05-01', '2021-03-04', "
                           "'2019-05-01 10:11:12', ?, ?)",
                           -1, &insert, nullptr);
        const qint64 base = scalar(db, "SELECT coalesce(max(ID), 0) FROM Files");
        for (qint64 i = base; i < base + rows - have; ++i) {
            const QByteArray path = "/media/cdrom/Disc " + QByteArray::number(i / 5000) +
                                    "/Folder " + QByteArray::number(i / 50 % 100);
            const QByteArray name = fileName(i);
            const QByteArray size = QByteArray::number(i * 7919 % 9999999);
            const QByteArray archive = "DISC_" + QByteArray::number(i / 5000);
            sqlite3_bind_text(insert, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, size.constData(), int(size.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, archive.constData(), int(archive.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 5, "1A2B-3C4D", -1, SQLITE_STATIC);
            if (sqlite3_step(insert) != SQLITE_DONE)
                qFatal("insert: %s", sqlite3_errmsg(db));
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec(db, "COMMIT");
    }
    // A catalogue made without the name index gets it at its first open: that cost, once.
    if (!SearchIndex::exists(db)) {
        const qint64 start = Report::now();
        if (!SearchIndex::ensure(db))
            qFatal("cannot make the name index");
        Report::seconds(QStringLiteral("name index made at first open (%1 rows)").arg(rows),
                        Report::elapsedSince(start), 10.0);
    }
    sqlite3_close(db);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString dir =
        QDir::current().absoluteFilePath(QStringLiteral("bench-data/search-%1").arg(rows));
    QDir().mkpath(dir);
    const QString file = dir + QStringLiteral("/data.mdb");
    makeCatalogue(file, rows);
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);

    // No box is shown: the input box gets the text queued for it, and a message box (no results)
    // is counted.
    int messages = 0;
    MessageBox::setTestMode([&messages](const QString &) { ++messages; });
    Services services = Services::system();
    services.appPath = dir;
    frmMain window(services);
    window.Form_Load();
    window.show();
    QApplication::processEvents();
    QTableView *view = window.findChild<QTableView *>(QStringLiteral("lvwFiles"));
    // A second connection of the bench's own, for its own statements and rows.
    Catalogue bench;
    bench.open(file);
    sqlite3 *db = bench.cnCatalogue().handle();

    struct Search
    {
        const char *name;
        QString text;
        double target;
    };
    // Selective texts of every length: the index answers three characters or more, the names
    // held in memory one and two. Broad: a quarter of the catalogue, listed and ordered by name.
    const double selective = Report::target(rows, 0.050, 0.200);
    const Search searches[] = {
        {"search, selective", QStringLiteral("snapshot"), selective},
        {"search, selective, non-ASCII case", QStringLiteral("ÜBERBLICK"), selective},
        {"search, selective, pattern with _", QStringLiteral("Vacation_Snap"), selective},
        {"search, broad", QStringLiteral(".mp3"), Report::target(rows, 2.0, 20.0)},
        {"search, two letters", QStringLiteral("qx"), selective},
        {"search, one character", QStringLiteral("É"), selective},
    };
    for (const Search &search : searches) {
        MessageBox::setNextInput(search.text);
        messages = 0;
        qint64 start = Report::now();
        window.cmdSearch_Click();
        QApplication::processEvents();
        const double took = Report::elapsedSince(start);
        const int found = view->model()->rowCount();
        if (messages != 0)
            qFatal("no results for %s", qPrintable(search.text));
        Report::seconds(
            QStringLiteral("%1, %2 matches").arg(QLatin1String(search.name)).arg(found) + at, took,
            search.target);
        start = Report::now();
        window.cmdSearch_Click(); // "&Show All"
        QApplication::processEvents();
        if (search.target < 1.0)
            Report::seconds(QStringLiteral("show all after it") + at, Report::elapsedSince(start),
                            Report::target(rows, 1.0, 7.0));
    }

    // Removal of 1,000 selected rows spread over the list, refill included.
    // The removed rows are put back afterwards, with their IDs, so the catalogue is reused.
    const int listed = view->model()->rowCount();
    QStringList removedIds;
    for (int i = 0; i < 1000; ++i) {
        const int row = int(qint64(i) * listed / 1000);
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        removedIds << view->model()->index(row, 0).data().toString();
    }
    const QString keep = QStringLiteral("ID IN (%1)").arg(removedIds.join(QLatin1Char(',')));
    exec(db, "DROP TABLE IF EXISTS temp.Removed");
    exec(db, qPrintable(QStringLiteral("CREATE TEMP TABLE Removed AS SELECT * FROM Files WHERE ") +
                        keep));
    qint64 start = Report::now();
    window.cmdRemove_Click();
    QApplication::processEvents();
    Report::seconds(QStringLiteral("remove 1,000 selected rows, refill included") + at,
                    Report::elapsedSince(start), Report::target(rows, 1.5, 7.5));
    if (view->model()->rowCount() != listed - 1000)
        qFatal("removed %d rows", listed - view->model()->rowCount());
    exec(db, "INSERT INTO Files SELECT * FROM temp.Removed; DROP TABLE temp.Removed");

    // Rows written in groups, as the indexer writes them: each group's names are taken into the
    // name index before its commit, so that no search afterwards waits for them.
    const int added = 10000, group = 2500;
    const qint64 before = scalar(db, "SELECT max(ID) FROM Files");
    double takingIn = 0;
    bool caughtUp = true;
    for (int i = 0; i < added; ++i) {
        if (i % group == 0)
            exec(db, "BEGIN IMMEDIATE");
        exec(db, ("INSERT INTO Files (Path, File, Size, Archive, Serial) VALUES "
                  "('/media/cdrom/New Disc/Folder', '" +
                  fileName(i + 3) + "', '12,345', 'NEW_DISC', '0000-0001')")
                     .constData());
        if (i % group == group - 1) {
            start = Report::now();
            if (!bench.takeInNewNames())
                qFatal("cannot take the names in");
            takingIn += Report::elapsedSince(start);
            exec(db, "COMMIT");
            caughtUp = caughtUp && SearchIndex::indexedUpTo(db) == scalar(db, "SELECT max(ID) "
                                                                              "FROM Files");
        }
    }
    const double perName = takingIn * 1e6 / added;
    Report::line(QStringLiteral("name index: take in one row, before its group's commit") + at,
                 QStringLiteral("%1 us").arg(perName, 0, 'f', 1), QStringLiteral("<= 10.0 us"),
                 perName <= 10.0);
    Report::line(QStringLiteral("rows written in groups in the name index at each commit") + at,
                 caughtUp ? QStringLiteral("yes") : QStringLiteral("no"), QStringLiteral("yes"),
                 caughtUp);
    for (const Search &search : {searches[0], searches[4]}) {
        MessageBox::setNextInput(search.text);
        start = Report::now();
        window.cmdSearch_Click();
        QApplication::processEvents();
        Report::seconds(QStringLiteral("%1, right after %2 rows written")
                                .arg(QLatin1String(search.name))
                                .arg(added) +
                            at,
                        Report::elapsedSince(start), search.target);
        window.cmdSearch_Click();
        QApplication::processEvents();
    }
    exec(db, qPrintable(QStringLiteral("DELETE FROM Files WHERE ID > %1").arg(before)));
    return 0;
}
