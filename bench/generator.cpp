#include "generator.h"

#include "catalogue/filerow.h"
#include "catalogue/schemasql.h"
#include "catalogue/searchindex.h"

#include <QDate>
#include <QFile>

#include <sqlite3.h>

#include <random>

namespace Generator {

namespace {

const char *const Artists[] = {"Miles Davis", "Nina Simone", "Radiohead",      "Björk",
                               "Kraftwerk",   "Portishead",  "Massive Attack", "Daft Punk",
                               "Sigur Rós",   "The Beatles", "Pink Floyd",     "Air",
                               "Moby",        "Beck"};
const char *const Words[] = {"Blue",    "Night",  "Train",  "River",   "Glass",  "Paper",  "Summer",
                             "Echo",    "Light",  "Window", "Stone",   "Garden", "Silver", "Road",
                             "Letters", "Report", "Budget", "Invoice", "Setup",  "Holiday"};
const char *const Software[] = {"setup.exe",   "readme.txt", "license.txt", "install.ini",
                                "autorun.inf", "data1.cab",  "data2.cab",   "manual.pdf"};

int64_t count(sqlite3 *db)
{
    sqlite3_stmt *stmt = nullptr;
    int64_t n = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Files", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        n = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return n;
}

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        qFatal("generator: %s", sqlite3_errmsg(db));
}

} // namespace

void makeCatalogue(const QString &file, qint64 rows)
{
    sqlite3 *db = nullptr;
    if (QFile::exists(file)) {
        check(sqlite3_open(file.toUtf8().constData(), &db), db);
        // A catalogue kept from an earlier run is reused with its name index as the program
        // leaves it.
        const bool reuse =
            count(db) == rows && SearchIndex::registerFunctions(db) && SearchIndex::ensure(db);
        sqlite3_close(db);
        if (reuse)
            return;
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-wal"));
        QFile::remove(file + QStringLiteral("-shm"));
    }
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    SearchIndex::registerFunctions(db);
    check(sqlite3_exec(db, SchemaSql, nullptr, nullptr, nullptr), db);
    check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt *insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, "
                             "Archive, Serial) VALUES (?,?,?,?,?,?,?,?)",
                             -1, &insert, nullptr),
          db);

    std::mt19937_64 random(20261206);
    auto pick = [&random](int n) { return int(random() % uint64_t(n)); };
    qint64 written = 0;
    for (int disc = 1; written < rows; ++disc) {
        const QString label = QStringLiteral("DISC_%1").arg(disc, 4, 10, QLatin1Char('0'));
        const QString serial = QStringLiteral("%1-%2")
                                   .arg(pick(0x7FFF), 4, 16, QLatin1Char('0'))
                                   .arg(pick(0x7FFF), 4, 16, QLatin1Char('0'))
                                   .toUpper();
        const QString root =
            QStringLiteral("/media/cdrom%1").arg(disc % 2 ? QString() : QStringLiteral("0"));
        const int kind = disc % 4;
        const QDate burnt = QDate(1998, 1, 1).addDays(pick(10000));
        // A disc holds a few hundred to a few thousand files in folders of a few dozen.
        const int files = 300 + pick(3000);
        QString folder;
        for (int i = 0; i < files && written < rows; ++i, ++written) {
            if (i % 40 == 0) {
                switch (kind) {
                case 0:
                    folder = QStringLiteral("%1/Music/%2/%3 %4")
                                 .arg(root, QString::fromUtf8(Artists[pick(14)]),
                                      QString::fromLatin1(Words[pick(20)]),
                                      QString::fromLatin1(Words[pick(20)]));
                    break;
                case 1:
                    folder = QStringLiteral("%1/Photos/%2/%3")
                                 .arg(root)
                                 .arg(burnt.year())
                                 .arg(QString::fromLatin1(Words[pick(20)]));
                    break;
                case 2:
                    folder = QStringLiteral("%1/Software/%2 %3/Disk%4")
                                 .arg(root, QString::fromLatin1(Words[pick(20)]))
                                 .arg(pick(10))
                                 .arg(i / 40 + 1);
                    break;
                default:
                    folder = QStringLiteral("%1/Documents/%2")
                                 .arg(root, QString::fromLatin1(Words[pick(20)]));
                }
            }
            QString name;
            qint64 bytes;
            switch (kind) {
            case 0:
                name = QStringLiteral("%1 - %2 %3.mp3")
                           .arg(i % 40 + 1, 2, 10, QLatin1Char('0'))
                           .arg(QString::fromLatin1(Words[pick(20)]),
                                QString::fromLatin1(Words[pick(20)]));
                bytes = 2000000 + pick(8000000);
                break;
            case 1:
                name = QStringLiteral("IMG_%1.JPG").arg(pick(9999), 4, 10, QLatin1Char('0'));
                bytes = 500000 + pick(4000000);
                break;
            case 2:
                name = i % 8 < 6 ? QString::fromLatin1(Software[i % 8])
                                 : QStringLiteral("file%1.dll").arg(i);
                bytes = pick(50000000);
                break;
            default:
                name = QStringLiteral("%1 %2.doc").arg(QString::fromLatin1(Words[pick(20)])).arg(i);
                bytes = pick(900000);
            }
            const QByteArray path = folder.toUtf8(), fileName = name.toUtf8();
            char sizeText[40];
            const QByteArray size(sizeText, FileRow::formatSize(bytes, ",", sizeText));
            const QDate modified = burnt.addDays(-pick(2000));
            const QByteArray created = modified.addDays(-pick(30)).toString(Qt::ISODate).toUtf8();
            const QByteArray changed = modified.toString(Qt::ISODate).toUtf8();
            const QByteArray accessed = burnt.toString(Qt::ISODate).toUtf8();
            const QByteArray labelText = label.toUtf8(), serialText = serial.toUtf8();
            sqlite3_bind_text(insert, 1, path.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, fileName.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, size.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, created.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 5, accessed.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 6, changed.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 7, labelText.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 8, serialText.constData(), -1, SQLITE_TRANSIENT);
            check(sqlite3_step(insert), db);
            sqlite3_reset(insert);
        }
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    // A catalogue as the program leaves it: its name index up to date.
    if (!SearchIndex::ensure(db))
        qFatal("generator: cannot make the name index");
    check(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

} // namespace Generator
