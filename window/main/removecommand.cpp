#include "window/main/removecommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/boxes/busycursor.h"
#include "window/boxes/errorbox.h"
#include "window/list/cataloguelist.h"

void RemoveCommand::cmdRemove_Click()
{
    const std::vector<int> selected = m_list.selectedRows();
    const bool held = m_list.holdsWholeCatalogue();
    try {
        const BusyCursor busy;
        std::vector<RowKey> rows;
        for (int row : selected)
            rows.push_back(m_list.key(row));
        m_catalogue.remove(rows);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
        m_list.RefreshLv();
        return;
    }
    // The rows held lose the removed ones: nothing is read again.
    m_list.removed(selected, held);
}

qint64 RemoveCommand::undoRemove()
{
    if (m_catalogue.removedCount() == 0)
        return 0;
    qint64 restored = 0;
    try {
        const BusyCursor busy;
        restored = m_catalogue.undoRemoval();
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_list.RefreshLv();
    return restored;
}
