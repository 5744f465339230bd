#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <functional>
#include <string>
#include <vector>

struct sqlite3;

// The name index that answers "File contains this text" without reading every row: an FTS5
// trigram index of the case-folded names of Files, plus the SQL function folded_like and the
// collation FOLDED that give the exact match and order by the one folding rule (casefold.h).
//
// The index holds the names of the rows up to a mark (FilesNameState.Indexed) and is brought up
// to date in one batch before a search, not row by row as rows are added, so that adding a row
// costs the indexer nothing more. The search also reads the rows past the mark and the rows whose
// name was changed since (FilesNameChanged), so it is exact even when the index cannot be
// written. Entries of deleted rows stay, matching no row.
namespace SearchIndex {

// A search source for rsFiles: the statement and the values bound to its placeholders.
struct Statement
{
    QString source;
    QVariantList params;
};

// Registers folded_like(value, pattern), fold_case(value) and the collation FOLDED on a
// connection. Needed on every connection that runs the search statement.
bool registerFunctions(sqlite3 *db);

// Creates the index when the catalogue lacks it (or has an older layout of it), then brings it
// up to date. False when that is not possible (a read-only catalogue); searching then reads
// every row instead.
bool ensure(sqlite3 *db);

// Takes in the names of the rows past the mark and of the changed rows, all or none; inside a
// transaction that is already open (the indexer's) it becomes part of it. changedName is given
// each changed row's ID and new name (UTF-8) before the note of the change is dropped. False when
// it cannot write.
bool catchUp(sqlite3 *db,
             const std::function<void(qint64, const char *, int)> &changedName = nullptr);

// Whether the catalogue has the index, and the highest ID whose name it holds.
bool exists(sqlite3 *db);
qint64 indexedUpTo(sqlite3 *db);

// Every row whose File contains text (% and _ keep their pattern meaning, case ignored by the
// folding rule), ordered by File without regard to case. indexedUpTo is the index's mark, or -1
// without an index; with one, the index narrows the rows when the text allows it.
Statement statement(const QString &text, qint64 indexedUpTo);

// Whether the index can narrow a search for text: a run of three characters or more.
bool answers(const QString &text);
// The folded text's longest run without % and _ (UTF-8): what a scan of folded names looks for.
QByteArray longestRun(const QString &text);
// The same search, over the rows of ids (the names found among names held up to heldUpTo), the
// rows past heldUpTo and the rows whose names changed since they were read.
Statement statement(const QString &text, const std::vector<qint64> &ids, qint64 heldUpTo);

// LIKE over folded code points: % any run, _ any one character, no escape.
bool likeMatch(const std::u32string &value, const std::u32string &pattern);

} // namespace SearchIndex
