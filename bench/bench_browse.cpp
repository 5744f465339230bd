// The Discs window's tree and Undo of a removal, on a catalogue of ROWS rows (default 1,000,000)
// half of which are one disc of 50,000 folders: expanding that disc, then removing every row of
// the list (Ctrl+A, Backspace) and putting them back (Ctrl+Z).
// Usage: bench_browse [ROWS]; works on a copy of the shared catalogue in bench-data/.
// Prints: operation <TAB> measured <TAB> target <TAB> ok|MISSED
#include "generator.h"
#include "report.h"

#include "catalogue/catalogue.h"
#include "window/list/cataloguelistmodel.h"
#include "window/discs/discsmodel.h"
#include "window/discs/frmdiscs.h"
#include "window/main/frmmain.h"
#include "window/boxes/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTreeView>

#include <sqlite3.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    if (rows > 1000000)
        return 0; // measured at a million rows
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);
    const QString plain = Generator::sharedCatalogue(rows);
    const QString copy = Generator::workingCopy(plain, QStringLiteral("browse-%1").arg(rows));
    {
        // Every other row onto one disc of 50,000 folders in 100 groups.
        sqlite3 *db = nullptr;
        if (sqlite3_open((copy + QStringLiteral("/data.mdb")).toUtf8().constData(), &db) !=
                SQLITE_OK ||
            sqlite3_exec(db,
                         "UPDATE Files SET Archive = 'BIG', Serial = '0BAD-F00D', Path = "
                         "'/media/big/group ' || (ID % 100) || '/folder ' || (ID / 2 % 50000) "
                         "WHERE ID % 2 = 0",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            qFatal("cannot make the large disc: %s", sqlite3_errmsg(db));
        sqlite3_close(db);
    }
    int messages = 0;
    MessageBox::setTestMode([&messages](const QString &) { ++messages; });
    Services services = Services::system();
    services.appPath = copy;
    frmMain window(services);
    window.Form_Load();
    window.show();
    QApplication::processEvents();

    window.mnuDiscs_Click();
    QApplication::processEvents();
    auto *discs = window.findChild<frmDiscs *>();
    auto *view = discs->findChild<QTreeView *>(QStringLiteral("lvwDiscs"));
    const DiscsModel &model = discs->model();
    int big = -1;
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.disc(row).label == QLatin1String("BIG"))
            big = row;
    if (big < 0)
        qFatal("no large disc");
    qint64 start = Report::now();
    view->expand(model.index(big, 0));
    double took = Report::elapsedSince(start);
    const QModelIndex disc = model.index(big, 0);
    qint64 folders = 0;
    for (int row = 0; row < model.rowCount(disc); ++row)
        folders += 1 + model.rowCount(model.index(row, 0, disc));
    Report::seconds(QStringLiteral("expand a disc of %1 files in %2 folders")
                            .arg(model.disc(big).files)
                            .arg(folders) +
                        at,
                    took, 0.3);
    discs->close();
    QApplication::processEvents();

    window.list().selectionModel()->select(
        QItemSelection(window.list().model()->index(0, 0),
                       window.list().model()->index(window.list().count() - 1, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int all = window.list().count();
    start = Report::now();
    window.cmdRemove_Click();
    took = Report::elapsedSince(start);
    if (messages != 0 || window.list().count() != 0)
        qFatal("the removal failed");
    Report::seconds(QStringLiteral("remove every row, kept for Undo, refill included") + at, took,
                    6.0);
    start = Report::now();
    window.mnuUndoRemove_Click();
    took = Report::elapsedSince(start);
    if (messages != 0 || window.list().count() != all)
        qFatal("Undo failed");
    Report::seconds(QStringLiteral("Undo of it, refill included") + at, took, 6.0);
    for (const char *file : {"/data.mdb", "/data.mdb-wal", "/data.mdb-shm"})
        QFile::remove(copy + QLatin1String(file));
    return 0;
}
