#pragma once

class CatalogueList;
class MousePointer;

// Show Duplicates: the rows whose name and size occur on more than one disc, in a view like the
// search's (the search button then reads "&Show All" and brings the whole catalogue back). With
// none, or when the view cannot be opened, says so and brings the whole catalogue back.
class DuplicatesCommand
{
public:
    DuplicatesCommand(CatalogueList &list, MousePointer &pointer) : m_list(list), m_pointer(pointer)
    {}

    void mnuShowDuplicates_Click();

private:
    CatalogueList &m_list;
    MousePointer &m_pointer;
};
