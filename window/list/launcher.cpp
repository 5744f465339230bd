#include "window/list/launcher.h"

#include "catalogue/catalogue.h"
#include "catalogue/filesfield.h"
#include "catalogue/mediumroots.h"
#include "indexing/mediumlocator.h"
#include "platform/archivereader.h"
#include "platform/fileopener.h"
#include "platform/joinpath.h"
#include "platform/mountedmedia.h"
#include "platform/platformerror.h"
#include "window/boxes/busycursor.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/list/cataloguelist.h"
#include "window/list/memberextraction.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include <unistd.h>

namespace {

// The message shown for what became of an open request, or the empty text for none.
QString messageFor(OpenResult result)
{
    switch (result) {
    case OpenResult::FileMissing:
    case OpenResult::ApplicationMissing:
        return Launcher::tr("Error finding executable!");
    case OpenResult::FolderMissing:
        return Launcher::tr("Path not found!");
    case OpenResult::BadFormat:
        return Launcher::tr("Bad format of executable!");
    case OpenResult::NoApplication:
        return Launcher::tr(
            "There is no application associated with the given file name extension.");
    case OpenResult::Opened:
    case OpenResult::Failed:
        break;
    }
    return QString();
}

} // namespace

Launcher::Launcher(CatalogueList &list, FileOpener &opener, MountedMedia *media, MediumRoots *roots,
                   Catalogue *catalogue, ArchiveReader *archives)
    : m_list(list), m_opener(opener), m_media(media), m_roots(roots), m_catalogue(catalogue),
      m_archives(archives)
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
    m_extractingCursor.reset();
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
    const BusyCursor busy;
    const int item = m_list.selectedItem();
    if (item < 0)
        return; // nothing selected: nothing to ask about
    if (!folder && extracting() && m_list.key(item).isMember()) {
        QApplication::beep();
        return;
    }
    // One pass of arg(): a "%1" in a label or a path stays as it is.
    const QString question =
        tr("Have you inserted the CD: %1 into drive %2?")
            .arg(m_list.text(item, FilesField::Archive), m_list.text(item, FilesField::Path));
    if (showBox(question, tr("Insert proper CD"), BoxButtons::YesNo) != BoxAnswer::Yes)
        return;
    // The path by the bytes it was catalogued with: a name that is not UTF-8 is shown with
    // replacement characters, but opened by its own spelling.
    try {
        const QByteArray path =
            m_list.key(item).isMember() ? memberPath(item, folder) : launchPath(item, folder);
        if (!path.isEmpty())
            openPath(path);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
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
        m_extractingCursor.emplace(BusyCursor::Beside);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    return QByteArray();
}

void Launcher::extractionEnded(const QByteArray &file, int error, const QString &description)
{
    m_extractingCursor.reset();
    const BusyCursor busy;
    if (error != 0) {
        ShowErrorBox(error, description);
        return;
    }
    try {
        openPath(file);
    } catch (const PlatformError &failure) {
        ShowErrorBox(failure.number(), failure.description());
    }
}

void Launcher::openPath(const QByteArray &file)
{
    const QString message = messageFor(m_opener.open(file));
    if (!message.isEmpty())
        showBox(message, tr("Error"), BoxButtons::Ok, BoxIcon::Stop);
}
