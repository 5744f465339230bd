#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <string>
#include <vector>

class Connection;

// The search statement for "File contains this text": the SQL function folded_like and the
// collation FOLDED that give the exact match and the order by the one folding rule (casefold.h),
// and the statement itself, over every row or over the rows whose names were found in memory.
namespace NameSearch {

// A search source for rsFiles: the statement and the values bound to its placeholders.
struct Statement
{
    QString source;
    QVariantList params;
};

// Registers folded_like(value, pattern) and the collation FOLDED on a connection. Needed on
// every connection that runs the search statement. Raises PlatformError.
void registerFunctions(Connection &connection);

// The folded text's longest run without % and _ (UTF-8): what a scan of folded names looks for.
QByteArray longestRun(const QString &text);

// Every row whose File contains text (% and _ keep their pattern meaning, case ignored by the
// folding rule), ordered by File without regard to case: read from every row.
Statement statement(const QString &text);
// The same search, over the rows of ids (those whose names, as read up to ID heldUpTo, were
// found), the rows past heldUpTo and the rows noted in FilesNameChanged as renamed since.
Statement statement(const QString &text, const std::vector<qint64> &ids, qint64 heldUpTo);

// LIKE over folded code points: % any run, _ any one character, no escape. With starts (as
// CaseFold::foldCodePoints gives them) _ takes one character of the text however many code
// points its fold has; without, one code point.
bool likeMatch(const std::u32string &value, const std::u32string &pattern,
               const std::vector<bool> *starts = nullptr);

} // namespace NameSearch
