#pragma once

#include <QString>

class Catalogue;
class CatalogueList;
class MousePointer;
class SearchCommand;

// Show Duplicates: the rows whose name and size occur on more than one disc, in a view like the
// search's (the search button then reads "&Show All" and brings the full view back). With none,
// or when the view cannot be opened, says so and brings the full view back.
class DuplicatesCommand
{
public:
    DuplicatesCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer,
                      SearchCommand &search)
        : m_catalogue(catalogue), m_list(list), m_pointer(pointer), m_search(search)
    {}

    // caption is the search button's caption, read and set.
    void mnuShowDuplicates_Click(QString &caption);

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
    MousePointer &m_pointer;
    SearchCommand &m_search;
};
