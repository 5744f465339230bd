#include "window/searchcommand.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/messagebox.h"
#include "window/mousepointer.h"

const QString SearchCaption = QStringLiteral("&Search");
const QString ShowAllCaption = QStringLiteral("&Show All");

void SearchCommand::cmdSearch_Click(QString &caption)
{
    m_pointer.setMousePointer(vbHourglass);
    if (caption == SearchCaption) {
        try {
            m_catalogue.closeView();
            const QString text =
                InputBox(QStringLiteral("Please enter the string you would like to search for:"));
            m_catalogue.openSearchView(text);
            if (m_catalogue.rsFiles().RecordCount() >= 1) {
                m_list.RefreshLv();
                caption = ShowAllCaption;
                return;
            }
            MsgBox(QStringLiteral("No results were found!"), vbOKOnly,
                   QStringLiteral("Search results"));
        } catch (const PlatformError &error) {
            ShowErrorBox(error.number(), error.description());
        }
    }
    showFullView(caption);
}

void SearchCommand::showFullView(QString &caption)
{
    // The full view: also where a failed search ends.
    try {
        m_catalogue.openFullView();
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    caption = SearchCaption;
    m_pointer.setMousePointer(vbDefault);
    m_list.RefreshLv();
}
