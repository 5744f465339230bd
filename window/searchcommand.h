#pragma once

#include <QString>

class Catalogue;
class CatalogueList;
class MousePointer;

// The search button's captions: the view the list shows.
extern const QString SearchCaption;  // "&Search": the full view
extern const QString ShowAllCaption; // "&Show All": the search view

// The search button: from the full view asks for a text and shows the matching rows; from the
// search view, or when nothing matches, brings the full view back. A failing search reports the
// error and brings the full view back, so the catalogue is never left closed.
class SearchCommand
{
public:
    SearchCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer)
        : m_catalogue(catalogue), m_list(list), m_pointer(pointer)
    {}

    // caption is the button's caption, read and set.
    void cmdSearch_Click(QString &caption);
    // Brings the full view back, reporting a failure, and sets caption to "&Search".
    void showFullView(QString &caption);

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
    MousePointer &m_pointer;
};
