// Load, refill and sort of the catalogue list at a million rows, and the memory it takes.
// Usage: bench_catalogue [ROWS] (default 1,000,000); the catalogue is kept in bench-data/.
#include "generator.h"
#include "report.h"

#include "window/cataloguelistmodel.h"
#include "window/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QTableView>

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
    Report::seconds(QStringLiteral("load + first fill") + at, Report::elapsedSince(start), 1.5);
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
    Report::seconds(QStringLiteral("RefreshLv, worst of 3") + at, worst, 1.0);

    for (int column : {int(CatalogueListModel::File), int(CatalogueListModel::Size),
                       int(CatalogueListModel::Path), int(CatalogueListModel::Modified)}) {
        start = Report::now();
        window.lvwFiles_ColumnClick(column + 1);
        QApplication::processEvents();
        const QString name = model->headerData(column, Qt::Horizontal).toString();
        Report::seconds(QStringLiteral("sort by %1").arg(name) + at, Report::elapsedSince(start),
                        1.0);
    }
    start = Report::now();
    window.RefreshLv();
    QApplication::processEvents();
    Report::seconds(QStringLiteral("RefreshLv, kept sorted") + at, Report::elapsedSince(start),
                    1.0);
    Report::megabytes(QStringLiteral("peak memory") + at, Report::peakMegabytes(), 300);
    return 0;
}
