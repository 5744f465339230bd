#include "window/list/duplicatescommand.h"

#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/boxes/mousepointer.h"

void DuplicatesCommand::mnuShowDuplicates_Click()
{
    m_pointer.setMousePointer(vbHourglass);
    try {
        if (m_list.show(ListView::duplicates()) >= 1)
            return;
        MsgBox(QStringLiteral("No duplicates were found!"), vbOKOnly, QStringLiteral("Duplicates"));
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_list.showWholeCatalogue();
}
