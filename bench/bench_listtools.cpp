// Export List and Show Duplicates at a million rows.
// Usage: bench_listtools [ROWS] (default 1,000,000); the catalogues are kept in bench-data/.
// Prints: operation <TAB> measured <TAB> target <TAB> ok|MISSED
#include "generator.h"
#include "report.h"

#include "catalogue/catalogue.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/frmmain.h"
#include "window/boxes/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>

#include <sqlite3.h>

namespace {

qint64 scalar(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

// The generated catalogue, with every tenth file also on another disc (its name and size given
// to a file 3,001 rows before it), as when discs are backed up.
void makeBackedUpCatalogue(const QString &file, qint64 rows)
{
    Generator::makeCatalogue(file, rows);
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(file));
    const char copied[] = "SELECT count(*) FROM Files a JOIN Files b ON b.ID = a.ID - 3001 "
                          "WHERE a.ID = 10010 AND a.File = b.File AND a.Size = b.Size";
    if (rows > 10010 && scalar(db, copied) != 1 &&
        sqlite3_exec(db,
                     "UPDATE Files SET (File, Size) = (SELECT b.File, b.Size FROM Files b "
                     "WHERE b.ID = Files.ID - 3001) WHERE ID % 10 = 0 AND ID > 3001",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("cannot copy rows: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
}

QTableView *listOf(frmMain &window)
{
    return window.findChild<QTableView *>(QStringLiteral("lvwFiles"));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);
    const QString plain = Generator::sharedCatalogue(rows);
    const QString backedUp =
        QDir::current().absoluteFilePath(QStringLiteral("bench-data/backedup-%1").arg(rows));
    QDir().mkpath(backedUp);
    makeBackedUpCatalogue(backedUp + QStringLiteral("/data.mdb"), rows);

    // No box is shown: a message box is counted and gets OK.
    int messages = 0;
    MessageBox::setTestMode([&messages](const QString &) { ++messages; });
    const QString csv = QDir::current().absoluteFilePath(QStringLiteral("bench-data/export.csv"));
    Services services = Services::system();
    services.saveFileName = [&csv](QWidget *, const QString &, const QString &) { return csv; };

    {
        services.appPath = plain;
        frmMain window(services);
        window.Form_Load();
        window.show();
        QApplication::processEvents();
        for (int sorted = 0; sorted < 2; ++sorted) {
            if (sorted)
                window.lvwFiles_ColumnClick(CatalogueListModel::File + 1);
            QFile::remove(csv);
            const qint64 start = Report::now();
            window.exportList().mnuExportList_Click(&window);
            const double took = Report::elapsedSince(start);
            if (messages != 0 || QFile(csv).size() < rows * 50)
                qFatal("the export failed");
            Report::seconds(QStringLiteral("export list to CSV, %1, %2 MB")
                                    .arg(sorted ? QStringLiteral("sorted by name")
                                                : QStringLiteral("as loaded"))
                                    .arg(QFile(csv).size() >> 20) +
                                at,
                            took, 3.0);
        }
        QFile::remove(csv);

        const qint64 start = Report::now();
        window.duplicates().mnuShowDuplicates_Click();
        QApplication::processEvents();
        const double took = Report::elapsedSince(start);
        const int found = listOf(window)->model()->rowCount();
        Report::seconds(QStringLiteral("show duplicates, %1")
                                .arg(messages ? QStringLiteral("none: message and full view again")
                                              : QStringLiteral("%1 rows").arg(found)) +
                            at,
                        took, 2.0);
    }
    {
        services.appPath = backedUp;
        frmMain window(services);
        window.Form_Load();
        window.show();
        QApplication::processEvents();
        messages = 0;
        qint64 start = Report::now();
        window.duplicates().mnuShowDuplicates_Click();
        QApplication::processEvents();
        const double took = Report::elapsedSince(start);
        const int found = listOf(window)->model()->rowCount();
        if (messages != 0)
            qFatal("no duplicates found");
        Report::seconds(
            QStringLiteral("show duplicates, every tenth file on two discs, %1 rows").arg(found) +
                at,
            took, 2.0);
        start = Report::now();
        window.search().cmdSearch_Click(); // "&Show All"
        QApplication::processEvents();
        Report::seconds(QStringLiteral("show all after it") + at, Report::elapsedSince(start), 1.0);
    }
    Report::megabytes(QStringLiteral("peak memory, list and duplicates search") + at,
                      Report::peakMegabytes(), 300);
    return 0;
}
