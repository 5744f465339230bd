// Find's live count at a million rows and more: one query of each kind, and one that combines
// them, counted over the rows the list holds.
// Usage: bench_find [ROWS] (default 1,000,000); the catalogues are kept in bench-data/.
// Prints: operation <TAB> measured <TAB> target <TAB> ok|MISSED
#include "generator.h"
#include "report.h"

#include "catalogue/catalogue.h"
#include "catalogue/findquery.h"
#include "catalogue/heldrows.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString at = QStringLiteral(" (%1 rows)").arg(rows);
    const QString folder = Generator::sharedCatalogue(rows);

    Catalogue catalogue;
    catalogue.open(folder + QStringLiteral("/data.mdb"));
    HeldRows model;
    model.fill(catalogue, false);

    // The name terms go through the scan of the held names, as the search does.
    const char *const queries[][2] = {
        {"a word", "river"},
        {"a phrase", "\"night train\""},
        {"an exclusion", "-img"},
        {"folder:", "folder:music"},
        {"disc:", "disc:disc_01"},
        {"type:", "type:jpg,png"},
        {"size:", "size:1MB..4MB"},
        {"modified:", "modified:2001..2005-06"},
        {"combined", "type:mp3,jpg size:>1MB disc:disc_0 folder:a -river modified:>2000"},
    };
    for (const auto &[kind, text] : queries) {
        const FindQuery query = FindQuery::parse(QString::fromUtf8(text));
        if (!query.isValid())
            qFatal("bench_find: %s: %s", text, qPrintable(query.reason()));
        // The middle of three runs, as typing counts again and again.
        double took[3];
        HeldRows::FindTotal total;
        for (double &t : took) {
            const qint64 start = Report::now();
            model.countMatching(query, nullptr, total);
            t = Report::elapsedSince(start);
        }
        std::sort(std::begin(took), std::end(took));
        Report::seconds(QStringLiteral("Find count, %1 %2 (%3 found)")
                                .arg(QString::fromUtf8(kind), QString::fromUtf8(text))
                                .arg(total.files) +
                            at,
                        took[1],
                        kind == std::string("a word")         ? Report::target(rows, 0.030, 0.200)
                        : kind == std::string("an exclusion") ? Report::target(rows, 0.040, 0.300)
                                                               : Report::target(rows, 0.1, 1.0));
    }
    return 0;
}
