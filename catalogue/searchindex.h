#pragma once

#include <QString>

struct sqlite3;

// The name index that answers "File contains this text" without reading every row: an FTS5
// trigram index over Files.File kept in step by triggers, plus the SQL function folded_like and
// the collation FOLDED that give the exact match and order, ignoring case for every letter.
namespace SearchIndex {

// Registers folded_like(value, pattern) and the collation FOLDED on a connection. Needed on
// every connection that runs the search statement.
bool registerFunctions(sqlite3 *db);

// Creates the index and its triggers when the catalogue lacks them, filling it from Files, in
// one transaction. False when that is not possible (a read-only catalogue); searching then
// reads every row instead.
bool ensure(sqlite3 *db);

// Whether the catalogue has the index with all its triggers.
bool exists(sqlite3 *db);

// LIKE with the pattern characters % and _ and no escape, ignoring case for all letters.
bool foldedLike(const QString &value, const QString &pattern);

// The index query that narrows the rows containing every literal run of at least three
// characters of the pattern, or the empty text when no run is long enough to use the index.
QString indexQuery(const QString &pattern);

} // namespace SearchIndex
