// Search and removal on a realistic catalogue, through the window's commands.
// Usage: bench_search [ROWS] (default 1,000,000); the catalogue is kept in bench-data/.
// Prints: operation <TAB> measured <TAB> target <TAB> ok|MISSED
#include "generator.h"
#include "report.h"

#include "catalogue/catalogue.h"
#include "platform/recordset.h"
#include "window/main/frmmain.h"
#include "window/boxes/messagebox.h"

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

// The generated catalogue, with a few marked families of names spread through it for the
// selective searches to find.
void makeCatalogue(const QString &file, qint64 rows)
{
    Generator::makeCatalogue(file, rows);
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(file));
    if (scalar(db, "SELECT count(*) FROM Files WHERE ID % 2000 = 7 AND File LIKE 'Vacation%'") == 0)
        exec(db, "BEGIN; "
                 "UPDATE Files SET File = 'Vacation Snapshot ' || ID || '.jpg' "
                 "WHERE ID % 2000 = 7; "
                 "UPDATE Files SET File = 'Café Überblick ' || ID || '.txt' WHERE ID % 4000 = 11; "
                 "UPDATE Files SET File = 'Qx-Ω ' || ID || '.bin' WHERE ID % 5000 = 13; "
                 // Renamed before any program held the names: nothing to note.
                 "DELETE FROM FilesNameChanged; COMMIT");
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
    // Selective texts of every length, found among the names held in memory. Broad: a sixth of
    // the catalogue, listed and ordered by name.
    const double selective = Report::target(rows, 0.020, 0.060);
    const Search searches[] = {
        {"search, selective", QStringLiteral("snapshot"), selective},
        {"search, selective, non-ASCII case", QStringLiteral("ÜBERBLICK"), selective},
        {"search, selective, pattern with _", QStringLiteral("Vacation_Snap"), selective},
        {"search, broad", QStringLiteral(".mp3"), Report::target(rows, 2.0, 20.0)},
        {"search, two letters", QStringLiteral("qx"), selective},
        {"search, one character", QStringLiteral("ω"), selective},
    };
    for (const Search &search : searches) {
        MessageBox::setNextInput(search.text);
        messages = 0;
        qint64 start = Report::now();
        window.search().cmdSearch_Click();
        QApplication::processEvents();
        const double took = Report::elapsedSince(start);
        const int found = view->model()->rowCount();
        if (messages != 0)
            qFatal("no results for %s", qPrintable(search.text));
        Report::seconds(
            QStringLiteral("%1, %2 matches").arg(QLatin1String(search.name)).arg(found) + at, took,
            search.target);
        start = Report::now();
        window.search().cmdSearch_Click(); // "&Show All"
        QApplication::processEvents();
        if (search.target < 1.0)
            Report::seconds(QStringLiteral("show all after it") + at, Report::elapsedSince(start),
                            Report::target(rows, 0.050, 0.300));
    }

    // Removal of 1,000 selected rows spread over the list (Ctrl+click), refill included.
    // The removed rows are put back afterwards, with their IDs, so the catalogue is reused.
    const int listed = view->model()->rowCount();
    QStringList removedIds;
    QItemSelection spread;
    for (int i = 0; i < 1000; ++i) {
        const int row = int(qint64(i) * listed / 1000);
        spread.select(view->model()->index(row, 0), view->model()->index(row, 0));
        removedIds << view->model()->index(row, 0).data().toString();
    }
    view->selectionModel()->select(spread,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QString keep = QStringLiteral("ID IN (%1)").arg(removedIds.join(QLatin1Char(',')));
    exec(db, "DROP TABLE IF EXISTS temp.Removed");
    exec(db, qPrintable(QStringLiteral("CREATE TEMP TABLE Removed AS SELECT * FROM Files WHERE ") +
                        keep));
    qint64 start = Report::now();
    window.cmdRemove_Click();
    QApplication::processEvents();
    Report::seconds(QStringLiteral("remove 1,000 selected rows, refill included") + at,
                    Report::elapsedSince(start), Report::target(rows, 0.050, 0.300));
    if (view->model()->rowCount() != listed - 1000)
        qFatal("removed %d rows", listed - view->model()->rowCount());
    exec(db, "INSERT INTO Files SELECT * FROM temp.Removed; DROP TABLE temp.Removed");

    // Rows written by another program in groups, then searched at once: the next search takes
    // their names in.
    const int added = 10000, group = 2500;
    const qint64 before = scalar(db, "SELECT max(ID) FROM Files");
    for (int i = 0; i < added; ++i) {
        if (i % group == 0)
            exec(db, "BEGIN IMMEDIATE");
        exec(db, qPrintable(QStringLiteral("INSERT INTO Files (Path, File, Size, Archive, Serial) "
                                           "VALUES ('/media/cdrom/New Disc/Folder', "
                                           "'added %1.txt', '12,345', 'NEW_DISC', '0000-0001')")
                                .arg(i)));
        if (i % group == group - 1)
            exec(db, "COMMIT");
    }
    for (const Search &search : {searches[0], searches[4]}) {
        MessageBox::setNextInput(search.text);
        start = Report::now();
        window.search().cmdSearch_Click();
        QApplication::processEvents();
        Report::seconds(QStringLiteral("%1, right after %2 rows written")
                                .arg(QLatin1String(search.name))
                                .arg(added) +
                            at,
                        Report::elapsedSince(start), search.target);
        window.search().cmdSearch_Click();
        QApplication::processEvents();
    }
    exec(db, qPrintable(QStringLiteral("DELETE FROM Files WHERE ID > %1").arg(before)));
    bench.close();
    if (rows > 1000000)
        return 0;

    // Large removals, on a copy: a third of the catalogue (Shift+click), then every row
    // (Ctrl+A, Backspace), refill included.
    const QString scratch = dir + QStringLiteral("/scratch");
    QDir().mkpath(scratch);
    window.catalogue().close();
    services.appPath = scratch;
    auto removeOnCopy = [&](const QString &what, int count, double target) {
        QFile::remove(scratch + QStringLiteral("/data.mdb"));
        if (!QFile::copy(file, scratch + QStringLiteral("/data.mdb")))
            qFatal("cannot copy the catalogue");
        frmMain copy(services);
        copy.Form_Load();
        copy.show();
        QApplication::processEvents();
        QTableView *copyView = copy.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        if (count == rows)
            copyView->selectAll();
        else
            copyView->selectionModel()->select(
                QItemSelection(copyView->model()->index(0, 0),
                               copyView->model()->index(count - 1, 0)),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        const qint64 started = Report::now();
        copy.cmdRemove_Click();
        QApplication::processEvents();
        Report::seconds(what + at, Report::elapsedSince(started), target);
        if (copyView->model()->rowCount() != rows - count)
            qFatal("removed %lld rows", rows - copyView->model()->rowCount());
        copy.catalogue().close();
    };
    const int third = int(rows * 33 / 100);
    removeOnCopy(QStringLiteral("remove %1 selected rows, refill included").arg(third), third, 3.0);
    removeOnCopy(QStringLiteral("remove every row (Ctrl+A), refill included"), int(rows), 6.0);
    QFile::remove(scratch + QStringLiteral("/data.mdb"));
    return 0;
}
