#pragma once

#include "catalogue/cataloguerows.h"
#include "catalogue/heldnames.h"

#include <QtGlobal>

#include <vector>

// The order of the list's rows by a column: ID, Size and the dates by value (members of
// archives, whose IDs are not of Files, after every file; a cell that is no date first), the
// rest as text without regard to case; equal cells keep the order they are given in.
namespace RowOrder {

// Orders rows (row numbers of held) by column, ascending or descending. names, the folded
// names of held's rows when given, spare the names' folding.
void sort(const CatalogueRows &held, std::vector<quint32> &rows, int column, bool descending,
          const HeldNames *names = nullptr);

} // namespace RowOrder
