#include "window/main/searchcommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/boxes/busycursor.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/list/cataloguelist.h"
#include "window/list/listview.h"

void SearchCommand::cmdSearch_Click()
{
    const BusyCursor busy;
    if (!m_list.view().narrowed()) {
        try {
            m_catalogue.closeView();
            const QString text =
                InputBox(tr("Please enter the string you would like to search for:"));
            // Nothing found is told over the whole catalogue, the caption still "&Search" and
            // the pointer busy; the list changes only after the box.
            const ListView found = ListView::search(text);
            if (m_list.holdsWholeCatalogue()) {
                if (m_list.show(found) >= 1)
                    return;
            } else {
                m_list.openView(found);
                if (!m_catalogue.isViewEmpty() && m_list.showOpened(found) >= 1)
                    return;
            }
            showBox(tr("No results were found!"), tr("Search results"));
        } catch (const PlatformError &error) {
            ShowErrorBox(error.number(), error.description());
        }
    }
    m_list.showWholeCatalogue();
}
