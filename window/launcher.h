#pragma once

#include <QString>

class CatalogueList;
class MediumRoots;
class MountedMedia;
class MousePointer;
class ShellExecutor;

// Launching a catalogued file from the list: the disc question, the shell's open request and
// its failure messages. Given the mounted media, a file that is not where it was catalogued is
// opened from the medium that carries its row's label and serial, wherever that is mounted now;
// roots, when given, tell where each medium was mounted when it was catalogued.
class Launcher
{
public:
    Launcher(CatalogueList &list, MousePointer &pointer, ShellExecutor &shell,
             MountedMedia *media = nullptr, MediumRoots *roots = nullptr)
        : m_list(list), m_pointer(pointer), m_shell(shell), m_media(media), m_roots(roots)
    {}

    // Any failure inside it ends it silently, with the default pointer back.
    void cmdExecuteFile_Click();
    // The same for the selected item's folder: the same question, then the shell opens the
    // folder (in the file manager).
    void OpenContainingFolder();

private:
    void openSelected(bool folder);
    // The selected item's file (or its folder), where its medium is now.
    QByteArray launchPath(int item, bool folder);
    // Asks the shell to open file and reports the failure codes that have a message.
    void openPath(const QByteArray &file);

    CatalogueList &m_list;
    MousePointer &m_pointer;
    ShellExecutor &m_shell;
    MountedMedia *m_media;
    MediumRoots *m_roots;
};
