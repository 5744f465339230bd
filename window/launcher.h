#pragma once

#include <QString>

#include <functional>

class CatalogueList;
class MousePointer;
class ShellExecutor;

// Launching a catalogued file from the list: the disc question, the shell's open request and
// its failure messages, and the list's double-click and key handlers.
class Launcher
{
public:
    // removeCommand is the removal command that Backspace in the list starts.
    Launcher(CatalogueList &list, MousePointer &pointer, ShellExecutor &shell,
             std::function<void()> removeCommand);

    void cmdExecuteFile_Click();
    // Asks the shell to open file and reports the failure codes that have a message.
    void OpenFile(QString file);

    void lvwFiles_DblClick();
    // keyCode 8 (Backspace) removes, 13 (Enter) launches, whatever the shift state; the key
    // is left to the list.
    void lvwFiles_KeyDown(int keyCode, int shift);

    // The message OpenFile shows for a shell result, or the empty text for none.
    static QString messageFor(int result);

private:
    void openPath(const QByteArray &file);

    CatalogueList &m_list;
    MousePointer &m_pointer;
    ShellExecutor &m_shell;
    std::function<void()> m_removeCommand;
};
