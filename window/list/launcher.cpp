#include "window/list/launcher.h"

#include "catalogue/catalogue.h"
#include "catalogue/filesfield.h"
#include "catalogue/mediumroots.h"
#include "indexing/mediumlocator.h"
#include "platform/archivereader.h"
#include "platform/joinpath.h"
#include "platform/mountedmedia.h"
#include "platform/platformerror.h"
#include "platform/shellexecute.h"
#include "window/list/cataloguelist.h"
#include "window/boxes/errorbox.h"
#include "window/list/memberextraction.h"
#include "window/boxes/messagebox.h"
#include "window/boxes/mousepointer.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

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

Launcher::Launcher(CatalogueList &list, MousePointer &pointer, ShellExecutor &shell,
                   MountedMedia *media, MediumRoots *roots, Catalogue *catalogue,
                   ArchiveReader *archives)
    : m_list(list), m_pointer(pointer), m_shell(shell), m_media(media), m_roots(roots),
      m_catalogue(catalogue), m_archives(archives)
{
    if (m_archives) {
        m_extraction = std::make_unique<MemberExtraction>(*m_archives);
        QObject::connect(m_extraction.get(), &MemberExtraction::ended, m_extraction.get(),
                         [this](const QByteArray &file, int error, const QString &description) {
                             extractionEnded(file, error, description);
                         });
    }
}

Launcher::~Launcher()
{
    removeExtracted();
}

void Launcher::removeExtracted()
{
    if (m_extraction)
        m_extraction->stop();
    m_extracted.reset();
}

bool Launcher::extracting() const
{
    return m_extraction && m_extraction->running();
}

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
        if (item >= 0 && !folder && extracting() && m_list.key(item).isMember()) {
            QApplication::beep();
        } else if (item >= 0) {
            const QString question = QStringLiteral("Have you inserted the CD: ") +
                                     m_list.text(item, FilesField::Archive) +
                                     QStringLiteral(" into drive ") +
                                     m_list.text(item, FilesField::Path) + QStringLiteral("?");
            // The path by the bytes it was catalogued with: a name that is not UTF-8 is shown
            // with replacement characters, but opened by its own spelling.
            if (MsgBox(question, vbYesNo, QStringLiteral("Insert proper CD")) == vbYes) {
                const QByteArray path = m_list.key(item).isMember() ? memberPath(item, folder)
                                                                    : launchPath(item, folder);
                if (!path.isEmpty())
                    openPath(path);
            }
        }
    } catch (...) {
    }
    m_pointer.setMousePointer(extracting() ? vbArrowHourglass : vbDefault);
}

QByteArray Launcher::launchPath(int item, bool folder)
{
    const QByteArray file = m_list.bytes(item, FilesField::File);
    const QByteArray where = folderNow(item, m_list.bytes(item, FilesField::Path), file);
    return folder ? where : JoinPath(where, file);
}

QByteArray Launcher::folderNow(int item, const QByteArray &where, const QByteArray &file)
{
    // The old mount point may still be there, empty: it is the file that must be missing.
    // The row keeps its folder; only this launch goes to the medium's new place.
    if (m_media && ::access(JoinPath(where, file).constData(), F_OK) != 0) {
        const QString archive = m_list.text(item, FilesField::Archive);
        const QString serial = m_list.text(item, FilesField::Serial);
        const QString found = LocateFolder(
            QString::fromUtf8(where), archive, serial,
            m_roots ? m_roots->roots(archive, serial) : QStringList(), m_media->list());
        if (!found.isNull())
            return QFile::encodeName(found);
    }
    return where;
}

QByteArray Launcher::memberPath(int item, bool folder)
{
    if (!m_catalogue || !m_archives)
        return QByteArray();
    const std::optional<ArchiveMembers::Place> place =
        m_catalogue->memberPlace(m_list.key(item).id);
    if (!place)
        return QByteArray(); // removed since the list was filled
    const QByteArray where = folderNow(item, place->folder, place->archive);
    if (folder)
        return where;
    if (extracting()) { // one at a time, even should one have begun during the question
        QApplication::beep();
        return QByteArray();
    }
    try {
        // A folder of the program's own (mode 0700), and in it one per member opened, so that
        // the file keeps its name and two members of the same name do not meet.
        if (!m_extracted)
            m_extracted = std::make_unique<QTemporaryDir>();
        if (!m_extracted->isValid())
            throw PlatformError(75, QStringLiteral("Path/File access error"));
        QByteArray folderTemplate =
            QFile::encodeName(m_extracted->filePath(QStringLiteral("XXXXXX")));
        if (!::mkdtemp(folderTemplate.data()))
            throw PlatformError(75, QStringLiteral("Path/File access error"));
        QByteArray name = place->member.mid(place->member.lastIndexOf('/') + 1);
        if (name.isEmpty() || name == "." || name == "..")
            name = "member";
        m_extraction->start(JoinPath(where, place->archive), place->member, place->size,
                            JoinPath(folderTemplate, name));
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    return QByteArray();
}

void Launcher::extractionEnded(const QByteArray &file, int error, const QString &description)
{
    m_pointer.setMousePointer(vbHourglass);
    try {
        if (error != 0)
            ShowErrorBox(error, description);
        else
            openPath(file);
    } catch (...) {
    }
    m_pointer.setMousePointer(vbDefault);
}

void Launcher::openPath(const QByteArray &file)
{
    const int result =
        m_shell.ShellExecute(QStringLiteral("open"), file, QString(""), QString(""), SW_SHOWNORMAL);
    const QString message = messageFor(result);
    if (!message.isEmpty())
        MsgBox(message, vbCritical, QStringLiteral("Error"));
}
