#pragma once

#include <QCoreApplication>

class Catalogue;
class CatalogueList;

// The search button: from the whole catalogue asks for a text and shows the matching rows; from
// any narrowed view, or when nothing matches, brings the whole catalogue back. A failing search
// reports the error and brings the whole catalogue back, so the catalogue is never left closed.
class SearchCommand
{
    Q_DECLARE_TR_FUNCTIONS(SearchCommand)

public:
    SearchCommand(Catalogue &catalogue, CatalogueList &list) : m_catalogue(catalogue), m_list(list)
    {}

    void cmdSearch_Click();

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
};
