#include "window/list/duplicatescommand.h"

#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/boxes/busycursor.h"

void DuplicatesCommand::mnuShowDuplicates_Click()
{
    const BusyCursor busy;
    try {
        if (m_list.show(ListView::duplicates()) >= 1)
            return;
        showBox(tr("No duplicates were found!"), tr("Duplicates"));
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_list.showWholeCatalogue();
}
