#include "window/searchcommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/messagebox.h"
#include "window/mousepointer.h"

void SearchCommand::cmdSearch_Click()
{
    m_pointer.setMousePointer(vbHourglass);
    if (!m_list.view().narrowed()) {
        try {
            m_catalogue.closeView();
            const QString text =
                InputBox(QStringLiteral("Please enter the string you would like to search for:"));
            if (m_list.show(ListView::search(text)) >= 1)
                return;
            MsgBox(QStringLiteral("No results were found!"), vbOKOnly,
                   QStringLiteral("Search results"));
        } catch (const PlatformError &error) {
            ShowErrorBox(error.number(), error.description());
        }
    }
    m_list.showWholeCatalogue();
}
