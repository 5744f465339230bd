// The Discs window: opening it on the whole catalogue (its totals counted from the rows the list
// holds, beside a pass of the catalogue and the engine's GROUP BY for comparison), and Remove
// Disc of a disc of about 500 files with the refill of the list.
// Usage: bench_discs [ROWS] (default 1,000,000); the catalogues are kept in bench-data/.
// Prints: operation <TAB> measured <TAB> target <TAB> ok|MISSED
#include "generator.h"
#include "report.h"

#include "catalogue/catalogue.h"
#include "catalogue/media.h"
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

namespace {

frmDiscs *openDiscs(frmMain &window)
{
    window.mnuDiscs_Click();
    QApplication::processEvents();
    auto *discs = window.findChild<frmDiscs *>();
    if (!discs)
        qFatal("no Discs window");
    return discs;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);
    const QString plain = Generator::sharedCatalogue(rows);
    int messages = 0;
    MessageBox::setTestMode([&messages](const QString &) { ++messages; });
    Services services = Services::system();
    const double openTarget = Report::target(rows, 0.5, 3.0);

    {
        services.appPath = plain;
        frmMain window(services);
        window.Form_Load();
        window.show();
        QApplication::processEvents();
        qint64 start = Report::now();
        frmDiscs *discs = openDiscs(window);
        const double took = Report::elapsedSince(start);
        const int media = discs->model().rowCount();
        Report::seconds(QStringLiteral("Discs window open, %1 media").arg(media) + at, took,
                        openTarget);
        discs->close();
        QApplication::processEvents();

        // The same totals read again from the catalogue, as when a narrowed view is shown.
        // For comparison, what the window would take to read its totals from the catalogue (as
        // it does, once per change, while a narrowed view is shown) and the engine's GROUP BY.
        const auto compared = [&at](const QString &what, qint64 from) {
            Report::line(what + at,
                         QStringLiteral("%1 s").arg(Report::elapsedSince(from), 0, 'f', 3),
                         QStringLiteral("(comparison)"), true);
        };
        start = Report::now();
        const size_t read = window.catalogue().media().totals().size();
        compared(
            QStringLiteral("media totals read in one pass of the catalogue, %1 media").arg(read),
            start);
        start = Report::now();
        sqlite3_exec(window.catalogue().cnCatalogue().handle(),
                     "SELECT Archive, Serial, count(*), sum(length(Size)) FROM Files "
                     "GROUP BY Archive, Serial",
                     nullptr, nullptr, nullptr);
        compared(QStringLiteral("media counted by the engine's GROUP BY"), start);
    }

    if (rows > 1000000)
        return 0; // Remove Disc is measured at a million rows
    // On a copy: the generated catalogue stays whole for the other benchmarks.
    const QString copy = Generator::workingCopy(plain, QStringLiteral("discs-%1").arg(rows));
    {
        services.appPath = copy;
        frmMain window(services);
        window.Form_Load();
        window.show();
        QApplication::processEvents();
        // What the refill alone takes, for comparison.
        qint64 start = Report::now();
        window.list().RefreshLv();
        QApplication::processEvents();
        const double refill = Report::elapsedSince(start);
        frmDiscs *discs = openDiscs(window);
        // The disc whose number of files is nearest 500.
        const DiscsModel &model = discs->model();
        int chosen = -1;
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.disc(row).isCatalogued() &&
                (chosen < 0 ||
                 std::abs(model.disc(row).files - 500) < std::abs(model.disc(chosen).files - 500)))
                chosen = row;
        if (chosen < 0)
            qFatal("no disc");
        const qint64 files = model.disc(chosen).files;
        discs->findChild<QTreeView *>(QStringLiteral("lvwDiscs"))
            ->selectionModel()
            ->setCurrentIndex(model.index(chosen, 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        MessageBox::setNextAnswer(BoxAnswer::Yes);
        start = Report::now();
        discs->cmdRemoveDisc_Click();
        QApplication::processEvents();
        const double took = Report::elapsedSince(start);
        if (messages != 0 || window.list().count() != rows - files)
            qFatal("Remove Disc failed");
        Report::seconds(QStringLiteral("Remove Disc of %1 files, refill included").arg(files) + at,
                        took, 1.0);
        Report::seconds(QStringLiteral("of which the refill of the list, as measured alone") + at,
                        refill, 0.8);
    }
    for (const char *file : {"/data.mdb", "/data.mdb-wal", "/data.mdb-shm"})
        QFile::remove(copy + QLatin1String(file));
    return 0;
}
