#pragma once

#include <QString>

#include <memory>

class ArchiveReader;
class CatalogueList;
class Connection;
class QTemporaryDir;
class MediumRoots;
class MountedMedia;
class MousePointer;
class ShellExecutor;

// Launching a catalogued file from the list: the disc question, the shell's open request and
// its failure messages. Given the mounted media, a file that is not where it was catalogued is
// opened from the medium that carries its row's label and serial, wherever that is mounted now;
// roots, when given, tell where each medium was mounted when it was catalogued.
//
// A member of an archive is taken out of its archive (found as a file is) into a folder of the
// program's own, readable by the user alone, and opened from there; its containing folder is
// the archive's. That folder goes at Exit.
class Launcher
{
public:
    Launcher(CatalogueList &list, MousePointer &pointer, ShellExecutor &shell,
             MountedMedia *media = nullptr, MediumRoots *roots = nullptr,
             Connection *catalogue = nullptr, ArchiveReader *archives = nullptr);
    ~Launcher();

    // Any failure inside it ends it silently, with the default pointer back.
    void cmdExecuteFile_Click();
    // The same for the selected item's folder: the same question, then the shell opens the
    // folder (in the file manager).
    void OpenContainingFolder();
    // Removes the members taken out of their archives so far.
    void removeExtracted();

private:
    void openSelected(bool folder);
    // The selected item's file (or its folder), where its medium is now.
    QByteArray launchPath(int item, bool folder);
    // The folder the item's medium holds where as, now (where itself when it is there).
    QByteArray folderNow(int item, const QByteArray &where, const QByteArray &file);
    // A member's file taken out of its archive, or its archive's folder; empty when there is
    // nothing to open.
    QByteArray memberPath(int item, bool folder);
    // Asks the shell to open file and reports the failure codes that have a message.
    void openPath(const QByteArray &file);

    CatalogueList &m_list;
    MousePointer &m_pointer;
    ShellExecutor &m_shell;
    MountedMedia *m_media;
    MediumRoots *m_roots;
    Connection *m_catalogue;
    ArchiveReader *m_archives;
    std::unique_ptr<QTemporaryDir> m_extracted;
};
