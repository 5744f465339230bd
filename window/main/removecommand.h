#pragma once

#include <QtGlobal>

class Catalogue;
class CatalogueList;

// The remove button (and Backspace in the list): deletes the row of every selected entry among
// the rows of the current view in one transaction, then takes them out of the list. A failing
// deletion is reported and leaves every selected row in place. The rows of the last removal can
// be put back.
class RemoveCommand
{
public:
    RemoveCommand(Catalogue &catalogue, CatalogueList &list) : m_catalogue(catalogue), m_list(list)
    {}

    void cmdRemove_Click();
    // Puts back the rows of the last removal (this command's or a disc's), all or none, and
    // refills the list. Returns how many came back; a failure is reported and gives 0.
    qint64 undoRemove();

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
};
