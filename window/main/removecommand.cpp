#include "window/main/removecommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/busycursor.h"

void RemoveCommand::cmdRemove_Click()
{
    try {
        const BusyCursor busy;
        std::vector<RowKey> rows;
        for (int row : m_list.selectedRows())
            rows.push_back(m_list.key(row));
        m_catalogue.remove(rows);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_list.RefreshLv();
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
