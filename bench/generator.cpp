#include "generator.h"
#include "report.h"

#include "catalogue/filerow.h"
#include "catalogue/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace Generator {

namespace {

// Words as titles, folders and documents use them, a few with letters beyond ASCII; the rest of
// the vocabulary is made of syllables, so that names and folders rarely repeat.
const char *const Common[] = {"Blue",    "Night",  "Train",    "River",  "Glass",      "Paper",
                              "Summer",  "Echo",   "Light",    "Window", "Stone",      "Garden",
                              "Silver",  "Road",   "Letters",  "Report", "Budget",     "Invoice",
                              "Holiday", "Winter", "Mountain", "Ocean",  "Fire",       "Dream",
                              "Café",    "Über",   "Straße",   "Años",   "Smørrebrød", "Élan",
                              "Москва",  "東京",   "Ålesund",  "Déjà",   "Naïve",      "Œuvre"};
const char *const Onsets[] = {"b",  "c",  "d",  "f",  "g",  "h",  "j",  "k",  "l",  "m",  "n",
                              "p",  "r",  "s",  "t",  "v",  "w",  "z",  "br", "ch", "cl", "dr",
                              "fl", "gr", "kr", "pl", "sh", "st", "th", "tr", "é",  "ö"};
const char *const Vowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ou", "y", "ä", "ø", "ie"};
const char *const Codas[] = {"", "", "", "n", "r", "s", "t", "l", "m", "nd", "rk", "x"};
const char *const SoftwareFiles[] = {"setup.exe",   "readme.txt", "license.txt", "install.ini",
                                     "autorun.inf", "data1.cab",  "data2.cab",   "manual.pdf",
                                     "update.exe",  "msvcrt.dll", "uninst.exe",  "help.chm"};
const char *const DocumentTypes[] = {".doc", ".docx", ".pdf", ".odt", ".xls", ".txt", ".ppt"};
const char *const SourceTypes[] = {".c", ".h", ".cpp", ".py", ".txt", ".md", ".sh", ".o"};
const char *const AudioTypes[] = {".mp3", ".mp3", ".mp3", ".flac", ".ogg", ".wma", ".m4a"};

template <size_t N> const char *pickFrom(std::mt19937_64 &random, const char *const (&list)[N])
{
    return list[random() % N];
}

class Texts
{
public:
    explicit Texts(std::mt19937_64 &random) : m_random(random) {}

    int below(int n) { return int(m_random() % uint64_t(n)); }

    // A word: one of the common ones now and then, else two or three syllables.
    void word(std::string &out, bool capital = true)
    {
        if (below(6) == 0) {
            out += pickFrom(m_random, Common);
            return;
        }
        const size_t at = out.size();
        for (int i = 0, n = 2 + below(2); i < n; ++i) {
            out += pickFrom(m_random, Onsets);
            out += pickFrom(m_random, Vowels);
            out += pickFrom(m_random, Codas);
        }
        if (capital && out[at] >= 'a' && out[at] <= 'z')
            out[at] = char(out[at] - 'a' + 'A');
    }
    void words(std::string &out, int n, const char *between = " ")
    {
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                out += between;
            word(out);
        }
    }
    void number(std::string &out, long long n, int width = 0)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%0*lld", width, n);
        out += text;
    }

private:
    std::mt19937_64 &m_random;
};

// Days since 1970-01-01 as year, month and day.
void civil(long long days, int &y, int &m, int &d)
{
    days += 719468;
    const long long era = days / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

// A moment as the catalogue stores it: the day alone at midnight, with the time otherwise.
std::string stamp(long long seconds)
{
    int y, m, d;
    civil(seconds / 86400, y, m, d);
    const int s = int(seconds % 86400);
    char text[24];
    if (s == 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, s / 3600,
                      s / 60 % 60, s % 60);
    return text;
}

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

void exec(sqlite3 *db, const QByteArray &sql)
{
    check(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), db);
}

enum Kind { Music, Photos, Software, Documents, Backup, Kinds };

void writeRows(sqlite3 *db, qint64 rows)
{
    sqlite3_stmt *insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, "
                             "Archive, Serial) VALUES (?,?,?,?,?,?,?,?)",
                             -1, &insert, nullptr),
          db);
    std::mt19937_64 random(20261207);
    Texts texts(random);
    const long long from = 788918400; // 1995-01-01
    const long long span = 30LL * 365 * 86400;
    std::string label, serial, root, folder, name, created, accessed, modified;
    qint64 written = 0;
    for (int medium = 1; written < rows; ++medium) {
        const Kind kind = Kind(texts.below(Kinds));
        // A medium was written on one day of the thirty years; its files are older.
        const long long burnt = from + (long long)(random() % uint64_t(span)) / 86400 * 86400;
        int y, m, d;
        civil(burnt / 86400, y, m, d);
        label.clear();
        static const char *const Labels[] = {"AUDIO_CD", "PHOTOS", "INSTALL", "DOCS", "BACKUP"};
        label += Labels[kind];
        label += '_';
        texts.number(label, y);
        label += '_';
        texts.number(label, medium, 5);
        char serialText[16];
        std::snprintf(serialText, sizeof serialText, "%04X-%04X", unsigned(random() & 0xFFFF),
                      unsigned(random() & 0xFFFF));
        serial = serialText;
        root = texts.below(2) ? std::string("/media/cdrom") : "/media/user/" + label;
        const int files = 100 + texts.below(801); // about 500 on average
        int leftInFolder = 0, inFolder = 0, counter = texts.below(9000);
        for (int i = 0; i < files && written < rows; ++i, ++written) {
            if (leftInFolder == 0) {
                // Folders of one to eight files, mostly different from every other folder.
                leftInFolder = 1 + texts.below(8);
                inFolder = 0;
                folder = root;
                switch (kind) {
                case Music:
                    folder += "/Music/";
                    texts.words(folder, 1 + texts.below(2));
                    folder += '/';
                    texts.words(folder, 1 + texts.below(3));
                    folder += " (";
                    texts.number(folder, y - texts.below(20));
                    folder += ')';
                    break;
                case Photos:
                    folder += "/DCIM/";
                    texts.number(folder, y);
                    folder += '/';
                    texts.number(folder, y);
                    folder += '-';
                    texts.number(folder, 1 + texts.below(12), 2);
                    folder += '-';
                    texts.number(folder, 1 + texts.below(28), 2);
                    folder += ' ';
                    texts.words(folder, 1 + texts.below(2));
                    break;
                case Software:
                    folder += '/';
                    texts.word(folder);
                    folder += ' ';
                    texts.number(folder, 1 + texts.below(12));
                    folder += '.';
                    texts.number(folder, texts.below(10));
                    for (int level = texts.below(3); level > 0; --level) {
                        folder += '/';
                        texts.word(folder);
                    }
                    break;
                case Documents:
                    folder += "/Documents/";
                    texts.words(folder, 1 + texts.below(2));
                    folder += '/';
                    texts.words(folder, 1 + texts.below(2));
                    break;
                default:
                    folder += "/home/";
                    texts.word(folder, false);
                    for (int level = 1 + texts.below(4); level > 0; --level) {
                        folder += '/';
                        texts.word(folder, false);
                    }
                }
            }
            --leftInFolder;
            ++inFolder;
            name.clear();
            double bytes;
            switch (kind) {
            case Music:
                texts.number(name, inFolder, 2);
                name += " - ";
                texts.words(name, 1 + texts.below(4));
                name += pickFrom(random, AudioTypes);
                bytes = 1e6 + texts.below(12000000);
                break;
            case Photos:
                // Cameras number their pictures: the same names come back on every medium.
                if (texts.below(3) == 0) {
                    name += "PXL_";
                    texts.number(name, y * 10000 + m * 100 + d);
                    name += '_';
                    texts.number(name, texts.below(240000), 6);
                    name += ".jpg";
                } else {
                    name += texts.below(2) ? "IMG_" : "DSC0";
                    texts.number(name, ++counter % 10000, 4);
                    name += texts.below(10) ? ".JPG" : ".MOV";
                }
                bytes =
                    name.back() == 'V' ? 1e7 * (1 + texts.below(400)) : 5e5 + texts.below(8000000);
                break;
            case Software:
                if (texts.below(2)) {
                    name = pickFrom(random, SoftwareFiles);
                } else {
                    texts.word(name, false);
                    if (texts.below(2))
                        texts.number(name, texts.below(100));
                    name += texts.below(2) ? ".dll" : ".dat";
                }
                // Sizes spread evenly over their orders of magnitude, up to 4 GB.
                bytes = std::exp(double(random() % 1000000) / 1e6 * std::log(4e9));
                break;
            case Documents:
                texts.words(name, 1 + texts.below(4));
                if (texts.below(5) == 0) {
                    name += " (";
                    texts.number(name, 1 + texts.below(9));
                    name += ')';
                }
                name += pickFrom(random, DocumentTypes);
                bytes = std::exp(double(random() % 1000000) / 1e6 * std::log(3e7));
                break;
            default:
                texts.words(name, 1 + texts.below(2), "_");
                name += pickFrom(random, SourceTypes);
                bytes = std::exp(double(random() % 1000000) / 1e6 * std::log(4e9));
            }
            if (texts.below(100) == 0)
                bytes = 0; // empty files are common
            char sizeText[40];
            const QByteArray size(sizeText, FileRow::formatSize(qint64(bytes), ",", sizeText));
            // Modified up to three years before the medium was written, at any time of day or
            // (copied from media without times) at midnight.
            long long changed = burnt - (long long)(random() % (3ULL * 365 * 86400));
            if (texts.below(4) == 0)
                changed -= changed % 86400;
            modified = stamp(changed);
            created = stamp(changed - (long long)(random() % (30ULL * 86400)));
            accessed = stamp(burnt);
            sqlite3_bind_text(insert, 1, folder.data(), int(folder.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, name.data(), int(name.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 3, size.constData(), int(size.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 4, created.data(), int(created.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 5, accessed.data(), int(accessed.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 6, modified.data(), int(modified.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 7, label.data(), int(label.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 8, serial.data(), int(serial.size()), SQLITE_STATIC);
            check(sqlite3_step(insert), db);
            sqlite3_reset(insert);
        }
    }
    sqlite3_finalize(insert);
}

const std::vector<const char *> Sections = {"changed names", "reused ids", "folder lookup",
                                            "medium roots"};

QString sharedFile(qint64 rows)
{
    return QDir::current().absoluteFilePath(
        QStringLiteral("bench-data/catalogue-%1/data.mdb").arg(rows));
}

// Whether file holds rows rows already; else it is removed, with its log.
bool holds(const QString &file, qint64 rows)
{
    if (!QFile::exists(file))
        return false;
    sqlite3 *db = nullptr;
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    const bool reuse = count(db) == rows;
    sqlite3_close(db);
    if (reuse)
        return true;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
    return false;
}

// Makes file with sections of the schema and rows, unless it already holds that many rows.
void make(const QString &file, qint64 rows, const std::vector<const char *> &sections)
{
    if (holds(file, rows))
        return;
    sqlite3 *db = nullptr;
    std::fprintf(stderr, "making %s ...\n", qPrintable(file));
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    // Written once and thrown away on failure: no journal. The indexes after the rows, as that
    // is quicker than keeping them up to date row by row.
    exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144");
    exec(db, Schema::section("files"));
    exec(db, "BEGIN");
    writeRows(db, rows);
    exec(db, "COMMIT");
    for (const char *section : sections)
        exec(db, Schema::section(section));
    exec(db, "PRAGMA journal_mode=DELETE");
    sqlite3_close(db);
    Report::resetPeak(); // the making's memory is not the program's
}

} // namespace

void makeCatalogue(const QString &file, qint64 rows)
{
    // Every catalogue of a size is a copy of the shared one: copying takes seconds where making
    // ten million rows takes minutes.
    const QString shared = sharedFile(rows);
    if (rows == 0 || QFileInfo(file).absoluteFilePath() == shared) {
        make(file, rows, Sections);
        return;
    }
    if (holds(file, rows))
        return;
    QDir().mkpath(QFileInfo(shared).absolutePath());
    make(shared, rows, Sections);
    std::fprintf(stderr, "copying it to %s ...\n", qPrintable(file));
    if (!QFile::copy(shared, file))
        qFatal("cannot copy the catalogue to %s", qPrintable(file));
    Report::resetPeak();
}

void makeForeignCatalogue(const QString &file, qint64 rows)
{
    make(file, rows, {});
}

QString sharedCatalogue(qint64 rows)
{
    const QString folder = QFileInfo(sharedFile(rows)).absolutePath();
    QDir().mkpath(folder);
    make(sharedFile(rows), rows, Sections);
    return folder;
}

QString workingCopy(const QString &plain, const QString &name)
{
    const QString copy = QDir::current().absoluteFilePath(QStringLiteral("bench-data/") + name);
    QDir().mkpath(copy);
    for (const char *file : {"/data.mdb", "/data.mdb-wal", "/data.mdb-shm"})
        QFile::remove(copy + QLatin1String(file));
    if (!QFile::copy(plain + QStringLiteral("/data.mdb"), copy + QStringLiteral("/data.mdb")))
        qFatal("cannot copy the catalogue");
    return copy;
}

} // namespace Generator
