#pragma once

class Catalogue;
class CatalogueList;
class MousePointer;

// The search button: from the whole catalogue asks for a text and shows the matching rows; from
// any narrowed view, or when nothing matches, brings the whole catalogue back. A failing search
// reports the error and brings the whole catalogue back, so the catalogue is never left closed.
class SearchCommand
{
public:
    SearchCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer)
        : m_catalogue(catalogue), m_list(list), m_pointer(pointer)
    {}

    void cmdSearch_Click();

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
    MousePointer &m_pointer;
};
