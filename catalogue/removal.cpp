#include "catalogue/removal.h"

#include "catalogue/errorbox.h"
#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "window/workspace.h"

void cmdRemove_Click(Workspace &workspace)
{
    workspace.pointer.setMousePointer(vbHourglass);
    try {
        for (int row : workspace.lvwFiles.selectedRows()) {
            // An entry belongs to the row whose ID, as text, is its text exactly.
            const QString text = workspace.lvwFiles.text(row, 0);
            bool ok = false;
            const qint64 id = text.toLongLong(&ok);
            if (ok && QString::number(id) == text)
                workspace.rsFiles.DeleteByKey(id);
        }
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    workspace.pointer.setMousePointer(vbDefault);
    workspace.RefreshLv();
}
