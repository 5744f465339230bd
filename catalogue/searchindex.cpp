#include "catalogue/searchindex.h"

#include <QChar>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The same statements close the schema of a new catalogue (catalogue/schema.sql).
const char *const CreateIndex = R"sql(
CREATE VIRTUAL TABLE FilesName USING fts5(File, content='', columnsize=0, tokenize='trigram');
CREATE TABLE FilesNameState (Indexed INTEGER NOT NULL);
INSERT INTO FilesNameState (Indexed) VALUES (0);
CREATE TRIGGER FilesNameUpdate AFTER UPDATE OF File ON Files BEGIN
    INSERT INTO FilesName (rowid, File) VALUES (new.ID, new.File);
END;
)sql";

const char *const DropIndex = R"sql(
DROP TRIGGER IF EXISTS FilesNameInsert;
DROP TRIGGER IF EXISTS FilesNameDelete;
DROP TRIGGER IF EXISTS FilesNameUpdate;
DROP TABLE IF EXISTS FilesNameState;
DROP TABLE IF EXISTS FilesName;
)sql";

// Decodes UTF-8 into case-folded code points; a byte that is not valid UTF-8 stands for itself.
void foldUtf8(const unsigned char *s, int length, std::u32string &out)
{
    out.clear();
    int i = 0;
    while (i < length) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            out.push_back(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t code = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
        bool valid = extra > 0;
        for (int k = 1; valid && k <= extra; ++k) {
            if (i + k >= length || (s[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (s[i + k] & 0x3F);
        }
        if (!valid) {
            out.push_back(c);
            ++i;
            continue;
        }
        out.push_back(QChar::toCaseFolded(code));
        i += extra + 1;
    }
}

std::u32string foldQString(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::u32string folded;
    foldUtf8(reinterpret_cast<const unsigned char *>(utf8.constData()), int(utf8.size()), folded);
    return folded;
}

// LIKE over folded code points: % any run, _ any one character, no escape.
bool likeMatch(const std::u32string &value, const std::u32string &pattern)
{
    size_t p = 0, s = 0, starP = std::u32string::npos, starS = 0;
    while (s < value.size()) {
        if (p < pattern.size() && pattern[p] != U'%' &&
            (pattern[p] == U'_' || pattern[p] == value[s])) {
            ++p;
            ++s;
        } else if (p < pattern.size() && pattern[p] == U'%') {
            starP = p++;
            starS = s;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'%')
        ++p;
    return p == pattern.size();
}

void destroyPattern(void *p)
{
    delete static_cast<std::u32string *>(p);
}

// folded_like(value, pattern): NULL for a NULL value, as LIKE gives.
void foldedLikeFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    // The pattern is the same for every row of a statement: fold it once.
    auto *pattern = static_cast<std::u32string *>(sqlite3_get_auxdata(context, 1));
    if (!pattern) {
        pattern = new std::u32string;
        foldUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), *pattern);
        sqlite3_set_auxdata(context, 1, pattern, destroyPattern);
        pattern = static_cast<std::u32string *>(sqlite3_get_auxdata(context, 1));
        if (!pattern)
            return sqlite3_result_error_nomem(context);
    }
    thread_local std::u32string value;
    foldUtf8(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), value);
    sqlite3_result_int(context, likeMatch(value, *pattern) ? 1 : 0);
}

// Orders by folded code points, then by the bytes, so that only equal texts compare equal.
int foldedCollation(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    const auto *x = static_cast<const unsigned char *>(a);
    const auto *y = static_cast<const unsigned char *>(b);
    int i = 0;
    const int common = std::min(lengthA, lengthB);
    // Plain ASCII prefix: compared in place.
    for (; i < common && x[i] < 0x80 && y[i] < 0x80; ++i) {
        const int cx = x[i] >= 'A' && x[i] <= 'Z' ? x[i] + 32 : x[i];
        const int cy = y[i] >= 'A' && y[i] <= 'Z' ? y[i] + 32 : y[i];
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    if (i < common) {
        // Everything before i is ASCII, so i starts a character in both texts.
        thread_local std::u32string fx, fy;
        foldUtf8(x + i, lengthA - i, fx);
        foldUtf8(y + i, lengthB - i, fy);
        const int folded = fx.compare(fy);
        if (folded != 0)
            return folded < 0 ? -1 : 1;
    } else if (lengthA != lengthB) {
        return lengthA < lengthB ? -1 : 1;
    }
    const int bytes = std::memcmp(x, y, size_t(common));
    if (bytes != 0)
        return bytes < 0 ? -1 : 1;
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

qint64 scalar(sqlite3 *db, const char *sql, qint64 otherwise)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return otherwise;
    qint64 value = otherwise;
    if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

bool execAll(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

namespace SearchIndex {

bool registerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "folded_like", 2, flags, nullptr, foldedLikeFunction,
                                      nullptr, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_collation_v2(db, "FOLDED", SQLITE_UTF8, nullptr, foldedCollation,
                                       nullptr) == SQLITE_OK;
}

bool exists(sqlite3 *db)
{
    return scalar(db,
                  "SELECT count(*) FROM sqlite_master WHERE name IN ('FilesName', "
                  "'FilesNameState', 'FilesNameUpdate')",
                  0) == 3;
}

qint64 indexedUpTo(sqlite3 *db)
{
    return scalar(db, "SELECT max(Indexed) FROM FilesNameState", 0);
}

bool ensure(sqlite3 *db)
{
    if (!exists(db)) {
        // All or nothing: a half-made index would answer searches wrongly.
        if (!execAll(db, "BEGIN IMMEDIATE"))
            return false;
        if (!execAll(db, DropIndex) || !execAll(db, CreateIndex) || !execAll(db, "COMMIT")) {
            execAll(db, "ROLLBACK");
            return false;
        }
    }
    return catchUp(db);
}

bool catchUp(sqlite3 *db)
{
    if (!exists(db))
        return false;
    const qint64 last = scalar(db, "SELECT coalesce(max(ID), 0) FROM Files", -1);
    if (last < 0)
        return false;
    if (last == indexedUpTo(db))
        return true; // nothing to write: also the way a read-only catalogue stays searchable
    if (!execAll(db, "BEGIN IMMEDIATE"))
        return false;
    // Rows past the mark go in together; deleted rows leave entries that match no row.
    const bool done =
        execAll(db, "INSERT INTO FilesName (rowid, File) SELECT ID, File FROM Files "
                    "WHERE ID > (SELECT max(Indexed) FROM FilesNameState) AND File IS NOT NULL") &&
        execAll(db, "UPDATE FilesNameState SET Indexed = (SELECT coalesce(max(ID), 0) FROM "
                    "Files)") &&
        execAll(db, "COMMIT");
    if (!done)
        execAll(db, "ROLLBACK");
    return done;
}

bool foldedLike(const QString &value, const QString &pattern)
{
    return likeMatch(foldQString(value), foldQString(pattern));
}

QString indexQuery(const QString &pattern)
{
    QStringList phrases;
    QString run;
    auto flush = [&] {
        // The trigram index can only answer runs of three characters or more.
        if (run.toUcs4().size() >= 3)
            phrases << QLatin1Char('"') +
                           QString(run).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                           QLatin1Char('"');
        run.clear();
    };
    for (QChar c : pattern) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_'))
            flush();
        else
            run += c;
    }
    flush();
    return phrases.join(QLatin1String(" AND "));
}

} // namespace SearchIndex
