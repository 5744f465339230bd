#include "window/main/removecommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/mousepointer.h"

void RemoveCommand::cmdRemove_Click()
{
    m_pointer.setMousePointer(vbHourglass);
    const std::vector<int> selected = m_list.selectedRows();
    const bool held = m_list.holdsWholeCatalogue();
    try {
        std::vector<RowKey> rows;
        for (int row : selected)
            rows.push_back(m_list.key(row));
        m_catalogue.remove(rows);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
        m_pointer.setMousePointer(vbDefault);
        m_list.RefreshLv();
        return;
    }
    m_pointer.setMousePointer(vbDefault);
    // The rows held lose the removed ones: nothing is read again.
    m_list.removed(selected, held);
}

qint64 RemoveCommand::undoRemove()
{
    if (m_catalogue.removedCount() == 0)
        return 0;
    m_pointer.setMousePointer(vbHourglass);
    qint64 restored = 0;
    try {
        restored = m_catalogue.undoRemoval();
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_pointer.setMousePointer(vbDefault);
    m_list.RefreshLv();
    return restored;
}
