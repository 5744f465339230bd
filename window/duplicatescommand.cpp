#include "window/duplicatescommand.h"

#include "platform/platformerror.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/messagebox.h"
#include "window/mousepointer.h"

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
