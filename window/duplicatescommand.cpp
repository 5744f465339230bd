#include "window/duplicatescommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/messagebox.h"
#include "window/mousepointer.h"
#include "window/searchcommand.h"

void DuplicatesCommand::mnuShowDuplicates_Click(QString &caption)
{
    m_pointer.setMousePointer(vbHourglass);
    try {
        if (m_catalogue.openDuplicatesView() >= 1) {
            m_list.RefreshLv();
            caption = ShowAllCaption;
            return;
        }
        MsgBox(QStringLiteral("No duplicates were found!"), vbOKOnly, QStringLiteral("Duplicates"));
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_search.showFullView(caption);
}
