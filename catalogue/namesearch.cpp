#include "catalogue/namesearch.h"

#include "catalogue/casefold.h"
#include "platform/sqlfunctions.h"

#include <QStringList>

#include <memory>
#include <string>

namespace {

// folded_like's test of one statement's pattern.
class FoldedLike : public SqlFunctions::PatternTest
{
public:
    FoldedLike(const char *pattern, int length)
    {
        CaseFold::foldCodePoints(m_pattern, pattern, length);
    }
    bool matches(const char *value, int length) override
    {
        CaseFold::foldCodePoints(m_value, value, length, &m_starts);
        return NameSearch::likeMatch(m_value, m_pattern, &m_starts);
    }

private:
    std::u32string m_pattern;
    std::u32string m_value; // reused from row to row
    std::vector<bool> m_starts;
};

std::unique_ptr<SqlFunctions::PatternTest> makeFoldedLike(const char *pattern, int length)
{
    return std::make_unique<FoldedLike>(pattern, length);
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

void registerFunctions(Connection &connection)
{
    SqlFunctions::addPatternFunction(connection, "folded_like", makeFoldedLike);
    SqlFunctions::addCollation(connection, "FOLDED",
                               [](const char *a, int lengthA, const char *b, int lengthB) {
                                   return CaseFold::compare(a, lengthA, b, lengthB);
                               });
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
