#pragma once

#include <QCoreApplication>

class CatalogueList;

// Show Duplicates: the rows whose name and size occur on more than one disc, in a view like the
// search's (the search button then reads "&Show All" and brings the whole catalogue back). With
// none, or when the view cannot be opened, says so and brings the whole catalogue back.
class DuplicatesCommand
{
    Q_DECLARE_TR_FUNCTIONS(DuplicatesCommand)

public:
    explicit DuplicatesCommand(CatalogueList &list) : m_list(list) {}

    void mnuShowDuplicates_Click();

private:
    CatalogueList &m_list;
};
