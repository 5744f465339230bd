#include "window/launcher.h"

#include "catalogue/filesfield.h"
#include "catalogue/mediumroots.h"
#include "indexing/mediumlocator.h"
#include "platform/joinpath.h"
#include "platform/mountedmedia.h"
#include "platform/shellexecute.h"
#include "window/cataloguelist.h"
#include "window/messagebox.h"
#include "window/mousepointer.h"

#include <QFile>

#include <unistd.h>

namespace {

// The message shown for a shell result, or the empty text for none.
QString messageFor(int result)
{
    switch (result) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("Error finding executable!");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("Path not found!");
    case ERROR_BAD_FORMAT:
        return QStringLiteral("Bad format of executable!");
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
            const QString question = QStringLiteral("Have you inserted the CD: ") +
                                     m_list.text(item, FilesField::Archive) +
                                     QStringLiteral(" into drive ") +
                                     m_list.text(item, FilesField::Path) + QStringLiteral("?");
            // The path by the bytes it was catalogued with: a name that is not UTF-8 is shown
            // with replacement characters, but opened by its own spelling.
            if (MsgBox(question, vbYesNo, QStringLiteral("Insert proper CD")) == vbYes)
                openPath(launchPath(item, folder));
        }
    } catch (...) {
    }
    m_pointer.setMousePointer(vbDefault);
}

QByteArray Launcher::launchPath(int item, bool folder)
{
    const QByteArray file = m_list.bytes(item, FilesField::File);
    QByteArray where = m_list.bytes(item, FilesField::Path);
    // The old mount point may still be there, empty: it is the file that must be missing.
    // The row keeps its folder; only this launch goes to the medium's new place.
    if (m_media && ::access(JoinPath(where, file).constData(), F_OK) != 0) {
        const QString archive = m_list.text(item, FilesField::Archive);
        const QString serial = m_list.text(item, FilesField::Serial);
        const QString found = LocateFolder(
            m_list.text(item, FilesField::Path), archive, serial,
            m_roots ? m_roots->roots(archive, serial) : QStringList(), m_media->list());
        if (!found.isNull())
            where = QFile::encodeName(found);
    }
    return folder ? where : JoinPath(where, file);
}

void Launcher::openPath(const QByteArray &file)
{
    const int result =
        m_shell.ShellExecute(QStringLiteral("open"), file, QString(""), QString(""), SW_SHOWNORMAL);
    const QString message = messageFor(result);
    if (!message.isEmpty())
        MsgBox(message, vbCritical, QStringLiteral("Error"));
}
