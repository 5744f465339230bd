#include "window/removecommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/mousepointer.h"

void RemoveCommand::cmdRemove_Click()
{
    m_pointer.setMousePointer(vbHourglass);
    try {
        std::vector<qint64> ids;
        for (int row : m_list.selectedRows())
            ids.push_back(m_list.id(row));
        m_catalogue.remove(ids);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_pointer.setMousePointer(vbDefault);
    m_list.RefreshLv();
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
