#include "catalogue/searchindex.h"

#include "catalogue/casefold.h"
#include "catalogue/schema.h"

#include <QStringList>

#include <sqlite3.h>

#include <functional>
#include <string>

namespace {

// Every layout the index has had, so that an older one is replaced whole.
const char *const DropIndex = R"sql(
DROP TRIGGER IF EXISTS FilesNameInsert;
DROP TRIGGER IF EXISTS FilesNameDelete;
DROP TRIGGER IF EXISTS FilesNameUpdate;
DROP TABLE IF EXISTS FilesNameChanged;
DROP TABLE IF EXISTS FilesNameState;
DROP TABLE IF EXISTS FilesName;
)sql";

const char *text(sqlite3_value *value)
{
    return reinterpret_cast<const char *>(sqlite3_value_text(value));
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
        CaseFold::foldCodePoints(*pattern, text(argv[1]), sqlite3_value_bytes(argv[1]));
        sqlite3_set_auxdata(context, 1, pattern, destroyPattern);
        pattern = static_cast<std::u32string *>(sqlite3_get_auxdata(context, 1));
        if (!pattern)
            return sqlite3_result_error_nomem(context);
    }
    thread_local std::u32string value;
    CaseFold::foldCodePoints(value, text(argv[0]), sqlite3_value_bytes(argv[0]));
    sqlite3_result_int(context, SearchIndex::likeMatch(value, *pattern) ? 1 : 0);
}

// fold_case(value): the folded name the index holds.
void foldCaseFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    thread_local std::string folded;
    folded.clear();
    CaseFold::appendFolded(folded, text(argv[0]), sqlite3_value_bytes(argv[0]));
    sqlite3_result_text(context, folded.data(), int(folded.size()), SQLITE_TRANSIENT);
}

int foldedCollation(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    return CaseFold::compare(static_cast<const char *>(a), lengthA, static_cast<const char *>(b),
                             lengthB);
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

// The literal runs of the folded pattern: the parts between % and _.
QStringList runs(const QString &pattern)
{
    QStringList runs;
    QString run;
    for (QChar c : CaseFold::fold(pattern)) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_')) {
            if (!run.isEmpty())
                runs << run;
            run.clear();
        } else {
            run += c;
        }
    }
    if (!run.isEmpty())
        runs << run;
    return runs;
}

// The index query that narrows the rows containing every literal run of at least three
// characters of the folded pattern, or the empty text when no run is long enough to use it.
QString indexQuery(const QString &pattern)
{
    QStringList phrases;
    for (const QString &run : runs(pattern))
        // The trigram index can only answer runs of three characters or more.
        if (run.toUcs4().size() >= 3)
            phrases << QLatin1Char('"') +
                           QString(run).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                           QLatin1Char('"');
    return phrases.join(QLatin1String(" AND "));
}

} // namespace

namespace SearchIndex {

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

bool registerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "folded_like", 2, flags, nullptr, foldedLikeFunction,
                                      nullptr, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "fold_case", 1, flags, nullptr, foldCaseFunction, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_collation_v2(db, "FOLDED", SQLITE_UTF8, nullptr, foldedCollation,
                                       nullptr) == SQLITE_OK;
}

bool exists(sqlite3 *db)
{
    return scalar(db,
                  "SELECT count(*) FROM sqlite_master WHERE name IN ('FilesName', "
                  "'FilesNameState', 'FilesNameChanged', 'FilesNameUpdate')",
                  0) == 4;
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
        if (!execAll(db, DropIndex) || !execAll(db, Schema::section("name index").constData()) ||
            !execAll(db, "COMMIT")) {
            execAll(db, "ROLLBACK");
            return false;
        }
    }
    return catchUp(db);
}

bool catchUp(sqlite3 *db, const std::function<void(qint64, const char *, int)> &changedName)
{
    if (!exists(db))
        return false;
    const qint64 last = scalar(db, "SELECT coalesce(max(ID), 0) FROM Files", -1);
    const qint64 changed = scalar(db, "SELECT count(*) FROM FilesNameChanged", -1);
    if (last < 0 || changed < 0)
        return false;
    if (last == indexedUpTo(db) && changed == 0)
        return true; // nothing to write: also the way a read-only catalogue stays searchable
    // A savepoint, so that this also runs inside the indexer's transaction, before its commit.
    if (!execAll(db, "SAVEPOINT NameIndex"))
        return false;
    bool done = true;
    if (changed > 0 && changedName) {
        sqlite3_stmt *names = nullptr;
        done = sqlite3_prepare_v2(db,
                                  "SELECT ID, File FROM Files WHERE ID IN (SELECT ID FROM "
                                  "FilesNameChanged)",
                                  -1, &names, nullptr) == SQLITE_OK;
        int rc = SQLITE_DONE;
        while (done && (rc = sqlite3_step(names)) == SQLITE_ROW)
            changedName(sqlite3_column_int64(names, 0),
                        reinterpret_cast<const char *>(sqlite3_column_text(names, 1)),
                        sqlite3_column_bytes(names, 1));
        done = done && rc == SQLITE_DONE;
        sqlite3_finalize(names);
    }
    // Rows past the mark go in together; changed names are added again (the old entries only
    // bring candidates that the exact match turns away); deleted rows leave entries that match
    // no row.
    done = done &&
           execAll(db, "INSERT INTO FilesName (rowid, File) SELECT ID, fold_case(File) FROM Files "
                       "WHERE ID > (SELECT max(Indexed) FROM FilesNameState) AND File IS NOT "
                       "NULL") &&
           execAll(db, "INSERT INTO FilesName (rowid, File) SELECT ID, fold_case(File) FROM Files "
                       "WHERE ID IN (SELECT ID FROM FilesNameChanged) AND File IS NOT NULL AND "
                       "ID <= (SELECT max(Indexed) FROM FilesNameState)") &&
           execAll(db, "DELETE FROM FilesNameChanged") &&
           execAll(db, "UPDATE FilesNameState SET Indexed = (SELECT coalesce(max(ID), 0) FROM "
                       "Files)");
    if (!done)
        execAll(db, "ROLLBACK TO NameIndex");
    return execAll(db, "RELEASE NameIndex") && done;
}

Statement statement(const QString &text, qint64 indexedUpTo)
{
    // The text is bound, never pasted into the statement: a quote is just a character.
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    const QString query = indexedUpTo >= 0 ? indexQuery(text) : QString();
    if (query.isEmpty())
        return {QStringLiteral("SELECT * FROM Files WHERE folded_like(File, ?) "
                               "ORDER BY File COLLATE FOLDED ASC"),
                {pattern}};
    // Candidates from the index, the rows added since it was last brought up to date, and the
    // rows whose names changed since.
    return {QStringLiteral("SELECT * FROM Files WHERE ID IN (SELECT rowid FROM FilesName WHERE "
                           "FilesName MATCH ? UNION ALL SELECT ID FROM Files WHERE ID > ? "
                           "UNION ALL SELECT ID FROM FilesNameChanged) "
                           "AND folded_like(File, ?) ORDER BY File COLLATE FOLDED ASC"),
            {query, indexedUpTo, pattern}};
}

bool answers(const QString &text)
{
    return !indexQuery(text).isEmpty();
}

QByteArray longestRun(const QString &text)
{
    QByteArray longest;
    for (const QString &run : runs(text)) {
        const QByteArray utf8 = run.toUtf8();
        if (utf8.size() > longest.size())
            longest = utf8;
    }
    return longest;
}

Statement statement(const QString &text, const std::vector<qint64> &ids, qint64 heldUpTo)
{
    QByteArray list = "[";
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i > 0)
            list += ',';
        list += QByteArray::number(ids[i]);
    }
    list += ']';
    // The rows whose names were found, the rows added since the names were read, and the rows
    // whose names changed since.
    return {QStringLiteral("SELECT * FROM Files WHERE ID IN (SELECT value FROM json_each(?) "
                           "UNION ALL SELECT ID FROM Files WHERE ID > ? "
                           "UNION ALL SELECT ID FROM FilesNameChanged) "
                           "AND folded_like(File, ?) ORDER BY File COLLATE FOLDED ASC"),
            {QString::fromLatin1(list), heldUpTo, QLatin1Char('%') + text + QLatin1Char('%')}};
}

} // namespace SearchIndex
