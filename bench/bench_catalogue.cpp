// Load, refill and sort (by every column) of the catalogue list, the memory it takes, and the
// first open of a catalogue another program wrote.
// Usage: bench_catalogue [ROWS] (default 1,000,000); the catalogue is kept in bench-data/.
#include "generator.h"
#include "report.h"

#include "platform/connection.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>

#include <sqlite3.h>

namespace {

// Reads the file once, so that the open measured finds it in the system's cache.
void warm(const QString &file)
{
    QFile f(file);
    if (f.open(QIODevice::ReadOnly))
        while (!f.read(1 << 20).isEmpty()) {
        }
}

struct Opened
{
    double shown;    // the main window shown, its rows coming in behind it
    double everyRow; // every row in, the list sorted by name
};

// Opens the catalogue in dir as the program starts: the window's load, shown at once, the rows
// filling behind it, sorted by name once all are in.
Opened openAndShow(const QString &dir, std::unique_ptr<frmMain> &window)
{
    Services services = Services::system();
    services.appPath = dir;
    services.fillBehind = true;
    const qint64 start = Report::now();
    window = std::make_unique<frmMain>(services);
    window->list().sortBy(FilesField::File, 0);
    window->Form_Load();
    window->show();
    QApplication::processEvents();
    Opened opened{Report::elapsedSince(start), 0};
    while (window->list().filling())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    opened.everyRow = Report::elapsedSince(start);
    return opened;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString dir = Generator::sharedCatalogue(rows);
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);

    warm(dir + QStringLiteral("/data.mdb"));
    std::unique_ptr<frmMain> shown;
    const Opened warmOpen = openAndShow(dir, shown);
    frmMain &window = *shown;
    Report::seconds(QStringLiteral("main window shown, rows filling behind") + at, warmOpen.shown,
                    Report::target(rows, 0.3, 1.0));
    Report::seconds(QStringLiteral("every row in, sorted by name, warm") + at, warmOpen.everyRow,
                    Report::target(rows, 0.6, 5.0));
    Report::megabytes(QStringLiteral("peak memory, list shown") + at, Report::peakMegabytes(),
                      Report::target(rows, 150, 1200));
    const QAbstractItemModel *model =
        window.findChild<QTableView *>(QStringLiteral("lvwFiles"))->model();
    if (model->rowCount() != rows)
        qFatal("listed %d rows", model->rowCount());

    qint64 start;
    double worst = 0;
    for (int i = 0; i < 3; ++i) {
        start = Report::now();
        window.list().RefreshLv();
        QApplication::processEvents();
        worst = std::max(worst, Report::elapsedSince(start));
    }
    Report::seconds(QStringLiteral("RefreshLv, worst of 3") + at, worst,
                    Report::target(rows, 0.8, 6.0));

    for (int column = CatalogueListModel::ID; column < CatalogueListModel::ColumnCount; ++column) {
        start = Report::now();
        window.lvwFiles_ColumnClick(column + 1);
        QApplication::processEvents();
        const QString name = model->headerData(column, Qt::Horizontal).toString();
        Report::seconds(QStringLiteral("sort by %1").arg(name) + at, Report::elapsedSince(start),
                        Report::target(rows, 0.8, 8.0));
    }
    start = Report::now();
    window.list().RefreshLv();
    QApplication::processEvents();
    Report::seconds(QStringLiteral("RefreshLv, kept sorted") + at, Report::elapsedSince(start),
                    Report::target(rows, 0.8, 6.0));
    Report::megabytes(QStringLiteral("peak memory, after 14 refills and sorts") + at,
                      Report::peakMegabytes(), Report::target(rows, 150, 1200));

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
    shown.reset();

    // The same rows as another program writes them (the table alone), opened for the first time
    // from a fresh copy.
    const QString foreign =
        QDir::current().absoluteFilePath(QStringLiteral("bench-data/foreign-%1").arg(rows));
    const QString first = foreign + QStringLiteral("/first");
    QDir().mkpath(first);
    Generator::makeForeignCatalogue(foreign + QStringLiteral("/data.mdb"), rows);
    QFile::remove(first + QStringLiteral("/data.mdb"));
    if (!QFile::copy(foreign + QStringLiteral("/data.mdb"), first + QStringLiteral("/data.mdb")))
        qFatal("cannot copy the catalogue");
    warm(first + QStringLiteral("/data.mdb"));
    Report::seconds(QStringLiteral("first open of a catalogue another program wrote, every row "
                                   "in") +
                        at,
                    openAndShow(first, shown).everyRow, warmOpen.everyRow * 1.1);
    shown.reset();
    QFile::remove(first + QStringLiteral("/data.mdb"));
    return 0;
}
