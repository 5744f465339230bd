#include "catalogue/namesearch.h"

#include "catalogue/casefold.h"

#include <QStringList>

#include <sqlite3.h>

#include <string>

namespace {

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
    thread_local std::vector<bool> starts;
    CaseFold::foldCodePoints(value, text(argv[0]), sqlite3_value_bytes(argv[0]), &starts);
    sqlite3_result_int(context, NameSearch::likeMatch(value, *pattern, &starts) ? 1 : 0);
}

int foldedCollation(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    return CaseFold::compare(static_cast<const char *>(a), lengthA, static_cast<const char *>(b),
                             lengthB);
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

} // namespace

namespace NameSearch {

// LIKE over folded code points: % any run, _ any one character, no escape.
bool likeMatch(const std::u32string &value, const std::u32string &pattern,
               const std::vector<bool> *starts)
{
    const auto beginsCharacter = [&](size_t at) { return !starts || (*starts)[at]; };
    size_t p = 0, s = 0, starP = std::u32string::npos, starS = 0;
    while (s < value.size()) {
        if (p < pattern.size() && pattern[p] == U'_' && beginsCharacter(s)) {
            ++p; // the whole fold of one character
            do
                ++s;
            while (s < value.size() && !beginsCharacter(s));
        } else if (p < pattern.size() && pattern[p] != U'%' && pattern[p] != U'_' &&
                   pattern[p] == value[s]) {
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
           sqlite3_create_collation_v2(db, "FOLDED", SQLITE_UTF8, nullptr, foldedCollation,
                                       nullptr) == SQLITE_OK;
}

Statement statement(const QString &text)
{
    // The text is bound, never pasted into the statement: a quote is just a character.
    return {QStringLiteral("SELECT * FROM Files WHERE folded_like(File, ?) "
                           "ORDER BY File COLLATE FOLDED ASC"),
            {QLatin1Char('%') + text + QLatin1Char('%')}};
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

} // namespace NameSearch
