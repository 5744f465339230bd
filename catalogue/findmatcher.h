#pragma once

#include "catalogue/cataloguerows.h"
#include "catalogue/findquery.h"

#include <QtGlobal>

#include <string>
#include <utility>
#include <vector>

// Decides whether a row answers a Find query. A row comes as its stored text cells, the sub-items
// FilesField::Path to FilesField::Serial, as UTF-8 bytes, empty for no value; its size and
// dates are read as numbers. Texts are read from storage that stays put for the matcher's life,
// where rows share the cell they have in common with the row before: a cell at the same place as
// before is the same text, and its answer is reused. An empty Size is 0; a row with no date
// matches no bound on that date.
class FindMatcher
{
public:
    using Cell = std::pair<const char *, int>;

    explicit FindMatcher(const FindQuery &query);
    // The test of one term alone, as if it were not an exclusion.
    explicit FindMatcher(FindQuery::Term term);

    // cells[field - 1] is the text cell of FilesField field; only those of subItems() are read.
    // The size and dates are read from row of rows, when a test comes to them.
    bool matches(const Cell *cells, const CatalogueRows &rows, size_t row);
    // The sub-items the query reads, as bits (1 << subItem).
    unsigned subItems() const { return m_subItems; }

private:
    struct Test
    {
        FindQuery::Term term;
        int subItem;                // the cell it reads (Disc: the label, and the serial after it)
        const char *seen = nullptr; // the cells of the last answer
        const char *seenSerial = nullptr;
        int seenLength = -1;
        int seenSerialLength = -1;
        bool answer = false;
    };
    bool holds(Test &test, const Cell *cells, const CatalogueRows &rows, size_t row);
    const std::string &foldedName(const Cell &name);

    std::vector<Test> m_tests; // the cheaper first
    std::string m_name;        // the row's folded name, made once per row when asked for
    bool m_nameFolded = false;
    int m_nameAscii = -1; // whether the row's name is ASCII, whose folded form is its lower case
    unsigned m_subItems = 0;
};
