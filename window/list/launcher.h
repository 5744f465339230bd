#pragma once

#include "window/boxes/busycursor.h"

#include <QCoreApplication>
#include <QString>

#include <memory>
#include <optional>

class ArchiveReader;
class CatalogueList;
class Catalogue;
class QTemporaryDir;
class MediumRoots;
class MountedMedia;
class MemberExtraction;
class FileOpener;

// Launching a catalogued file from the list: the disc question, the request to open it and
// its failure messages. Given the mounted media, a file that is not where it was catalogued is
// opened from the medium that carries its row's label and serial, wherever that is mounted now;
// roots, when given, tell where each medium was mounted when it was catalogued.
//
// A member of an archive is taken out of its archive (found as a file is) into a folder of the
// program's own, readable by the user alone, and opened from there; its containing folder is
// the archive's. The taking out goes on beside the window, under the arrow and hourglass; the
// file opens when it ends. While it goes, Open on another member is refused with a beep. That
// folder goes at Exit, once a taking out under way has stopped.
class Launcher
{
    Q_DECLARE_TR_FUNCTIONS(Launcher)

public:
    Launcher(CatalogueList &list, FileOpener &opener, MountedMedia *media = nullptr,
             MediumRoots *roots = nullptr, Catalogue *catalogue = nullptr,
             ArchiveReader *archives = nullptr);
    ~Launcher();

    // A failure to find the file is told in the error box.
    void cmdExecuteFile_Click();
    // The same for the selected item's folder: the same question, then the folder is opened
    // folder (in the file manager).
    void OpenContainingFolder();
    // Stops a taking out under way, then removes the members taken out of their archives.
    void removeExtracted();
    bool extracting() const;

private:
    void openSelected(bool folder);
    // The selected item's file (or its folder), where its medium is now.
    QByteArray launchPath(int item, bool folder);
    // The folder the item's medium holds where as, now (where itself when it is there).
    QByteArray folderNow(int item, const QByteArray &where, const QByteArray &file);
    // A member's archive's folder; empty when there is nothing to open. For the member itself
    // it starts taking it out and gives the empty path: it opens when that has ended.
    QByteArray memberPath(int item, bool folder);
    void extractionEnded(const QByteArray &file, int error, const QString &description);
    // Asks the system to open file and reports the failures that have a message.
    void openPath(const QByteArray &file);

    CatalogueList &m_list;
    FileOpener &m_opener;
    MountedMedia *m_media;
    MediumRoots *m_roots;
    Catalogue *m_catalogue;
    ArchiveReader *m_archives;
    std::unique_ptr<QTemporaryDir> m_extracted;
    // After the folder: it ends before the folder goes.
    std::unique_ptr<MemberExtraction> m_extraction;
    std::optional<BusyCursor> m_extractingCursor; // while a member is taken out
};
