#pragma once

class Catalogue;
class CatalogueList;
class MousePointer;

// The remove button (and Backspace in the list): deletes the row of every selected entry among
// the rows of the current view in one transaction, then refills the list once. A failing
// deletion is reported and leaves every selected row in place.
class RemoveCommand
{
public:
    RemoveCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer)
        : m_catalogue(catalogue), m_list(list), m_pointer(pointer)
    {}

    void cmdRemove_Click();

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
    MousePointer &m_pointer;
};
