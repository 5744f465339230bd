#pragma once

#include <QString>

class CatalogueList;
class MousePointer;
class ShellExecutor;

// Launching a catalogued file from the list: the disc question, the shell's open request and
// its failure messages.
class Launcher
{
public:
    Launcher(CatalogueList &list, MousePointer &pointer, ShellExecutor &shell)
        : m_list(list), m_pointer(pointer), m_shell(shell)
    {}

    // Any failure inside it ends it silently, with the default pointer back.
    void cmdExecuteFile_Click();
    // The same for the selected item's folder: the same question, then the shell opens the
    // folder (in the file manager).
    void OpenContainingFolder();
    // Asks the shell to open file and reports the failure codes that have a message.
    void OpenFile(QString file);

private:
    void openSelected(bool folder);

    CatalogueList &m_list;
    MousePointer &m_pointer;
    ShellExecutor &m_shell;
};
