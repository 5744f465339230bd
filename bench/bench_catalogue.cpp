// Load, refill and sort (by every column) of the catalogue list, and the memory it takes.
// Usage: bench_catalogue [ROWS] (default 1,000,000); the catalogue is kept in bench-data/.
#include "generator.h"
#include "report.h"

#include "platform/connection.h"
#include "window/cataloguelistmodel.h"
#include "window/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QTableView>

#include <sqlite3.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString dir =
        QDir::current().absoluteFilePath(QStringLiteral("bench-data/catalogue-%1").arg(rows));
    QDir().mkpath(dir);
    Generator::makeCatalogue(dir + QStringLiteral("/data.mdb"), rows);
    Services services = Services::system();
    services.appPath = dir;
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);

    qint64 start = Report::now();
    frmMain window(services);
    window.Form_Load();
    window.show();
    QApplication::processEvents();
    Report::seconds(QStringLiteral("load + first fill") + at, Report::elapsedSince(start),
                    Report::target(rows, 1.5, 10.0));
    const QAbstractItemModel *model =
        window.findChild<QTableView *>(QStringLiteral("lvwFiles"))->model();
    if (model->rowCount() != rows)
        qFatal("listed %d rows", model->rowCount());

    double worst = 0;
    for (int i = 0; i < 3; ++i) {
        start = Report::now();
        window.RefreshLv();
        QApplication::processEvents();
        worst = std::max(worst, Report::elapsedSince(start));
    }
    Report::seconds(QStringLiteral("RefreshLv, worst of 3") + at, worst,
                    Report::target(rows, 1.0, 7.0));

    for (int column = CatalogueListModel::ID; column < CatalogueListModel::ColumnCount; ++column) {
        start = Report::now();
        window.lvwFiles_ColumnClick(column + 1);
        QApplication::processEvents();
        const QString name = model->headerData(column, Qt::Horizontal).toString();
        Report::seconds(QStringLiteral("sort by %1").arg(name) + at, Report::elapsedSince(start),
                        Report::target(rows, 1.0, 10.0));
    }
    start = Report::now();
    window.RefreshLv();
    QApplication::processEvents();
    Report::seconds(QStringLiteral("RefreshLv, kept sorted") + at, Report::elapsedSince(start),
                    Report::target(rows, 1.0, 7.0));
    Report::megabytes(QStringLiteral("peak memory") + at, Report::peakMegabytes(),
                      Report::target(rows, 300, 2500));

    // The end of a run that wrote a little: 1,000 rows added and taken out again, then the log
    // folded into the file and the file left in the plain journal mode.
    Connection &cn = window.catalogue().cnCatalogue();
    cn.beginWrite();
    for (int i = 0; i < 1000; ++i)
        sqlite3_exec(cn.handle(),
                     qPrintable(QStringLiteral("INSERT INTO Files (Path, File) VALUES "
                                               "('/media/cdrom/added', 'added%1.txt')")
                                    .arg(i)),
                     nullptr, nullptr, nullptr);
    sqlite3_exec(cn.handle(), "DELETE FROM Files WHERE Path = '/media/cdrom/added'", nullptr,
                 nullptr, nullptr);
    window.catalogue().closeView();
    start = Report::now();
    window.catalogue().cnCatalogue().Close();
    Report::seconds(QStringLiteral("fold the log at the end") + at, Report::elapsedSince(start),
                    0.2);
    return 0;
}
