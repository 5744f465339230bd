#pragma once

#include <QString>

struct sqlite3;

// The name index that answers "File contains this text" without reading every row: an FTS5
// trigram index of the names of Files, plus the SQL function folded_like and the collation
// FOLDED that give the exact match and order, ignoring case for every letter.
//
// The index holds the names of the rows up to a mark (FilesNameState.Indexed) and is brought up
// to date in one batch before a search, not row by row as rows are added, so that adding a row
// costs the indexer nothing more. The search also reads the rows past the mark, so it is exact
// even when the index cannot be written. Entries of deleted rows stay, matching no row.
namespace SearchIndex {

// Registers folded_like(value, pattern) and the collation FOLDED on a connection. Needed on
// every connection that runs the search statement.
bool registerFunctions(sqlite3 *db);

// Creates the index when the catalogue lacks it, then brings it up to date. False when that is
// not possible (a read-only catalogue); searching then reads every row instead.
bool ensure(sqlite3 *db);

// Adds the names of the rows past the mark, in one transaction. False when it cannot write.
bool catchUp(sqlite3 *db);

// Whether the catalogue has the index, and the highest ID whose name it holds.
bool exists(sqlite3 *db);
qint64 indexedUpTo(sqlite3 *db);

// LIKE with the pattern characters % and _ and no escape, ignoring case for all letters.
bool foldedLike(const QString &value, const QString &pattern);

// The index query that narrows the rows containing every literal run of at least three
// characters of the pattern, or the empty text when no run is long enough to use the index.
QString indexQuery(const QString &pattern);

} // namespace SearchIndex
