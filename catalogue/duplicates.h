#pragma once

#include <QString>

class Connection;

// The duplicates view: every row whose name (folded by the one rule, casefold.h) and size occur
// on more than one disc, a disc being the pair of label (Archive) and serial; a missing label or
// serial counts as an empty one. Ordered by folded name, size, label, serial, then ID.
//
// Grouping a million folded names is many times faster in one pass here than in the engine, so
// the rows are found once, when the view is opened, and their IDs kept in the connection's
// temporary table DuplicateRows in the view's order (the members of archives, on their archive's
// disc, in DuplicateMembers). A refill of the view shows those of them that are still catalogued.
namespace Duplicates {

// Finds the rows and puts their IDs into DuplicateRows; returns how many. Raises PlatformError.
qint64 find(Connection &connection);

// The view's statement over DuplicateRows.
QString statement();

} // namespace Duplicates
