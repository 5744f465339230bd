#include "window/launcher.h"

#include "platform/mousepointer.h"
#include "platform/shellexecute.h"
#include "window/cataloguelist.h"
#include "window/messagebox.h"

namespace {

enum SubItem { PathItem = 1, FileItem = 2, ArchiveItem = 8 };

// The message OpenFile shows for a shell result, or the empty text for none.
QString messageFor(int result)
{
    switch (result) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("Error finding executable!");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("Path not found!");
    case ERROR_BAD_FORMAT:
        return QStringLiteral("Bad format of executable!");
    case SE_ERR_DDETIMEOUT:
        return QStringLiteral(
            "The DDE transaction could not be completed because the request timed out.");
    case SE_ERR_DDEFAIL:
        return QStringLiteral("The DDE transaction failed");
    case SE_ERR_NOASSOC:
        return QStringLiteral(
            "There is no application associated with the given file name extension.");
    default:
        return QString();
    }
}

} // namespace

void Launcher::cmdExecuteFile_Click()
{
    openSelected(false);
}

void Launcher::OpenContainingFolder()
{
    openSelected(true);
}

void Launcher::openSelected(bool folder)
{
    // Any failure from here on ends the command silently, with the default pointer back.
    try {
        m_pointer.setMousePointer(vbHourglass);
        const int item = m_list.selectedItem();
        if (item >= 0) {
            const QString question =
                QStringLiteral("Have you inserted the CD: ") + m_list.text(item, ArchiveItem) +
                QStringLiteral(" into drive ") + m_list.text(item, PathItem) + QStringLiteral("?");
            if (MsgBox(question, vbYesNo, QStringLiteral("Insert proper CD")) == vbYes)
                OpenFile(folder ? m_list.text(item, PathItem)
                                : m_list.text(item, PathItem) + QLatin1Char('/') +
                                      m_list.text(item, FileItem));
        }
    } catch (...) {
    }
    m_pointer.setMousePointer(vbDefault);
}

void Launcher::OpenFile(QString file)
{
    const int result =
        m_shell.ShellExecute(QStringLiteral("open"), file, QString(""), QString(""), SW_SHOWNORMAL);
    const QString message = messageFor(result);
    if (!message.isEmpty())
        MsgBox(message, vbCritical, QStringLiteral("Error"));
}
