#pragma once

#include <QString>
#include <QVariantList>

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

// Takes in the names of the rows past the mark and of the changed rows, in one transaction.
// False when it cannot write.
bool catchUp(sqlite3 *db);

// Whether the catalogue has the index, and the highest ID whose name it holds.
bool exists(sqlite3 *db);
qint64 indexedUpTo(sqlite3 *db);

// Every row whose File contains text (% and _ keep their pattern meaning, case ignored by the
// folding rule), ordered by File without regard to case. indexedUpTo is the index's mark, or -1
// without an index; with one, the index narrows the rows when the text allows it.
Statement statement(const QString &text, qint64 indexedUpTo);

} // namespace SearchIndex
