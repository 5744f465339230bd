#pragma once

class CatalogueList;

// Copy Path (and Ctrl+C in the list): the full paths of the selected rows, one per line, in the
// order shown, onto the clipboard, as text and as file addresses (text/uri-list) that keep each
// name's own bytes. Without a selection the clipboard is left as it is.
class CopyPathCommand
{
public:
    explicit CopyPathCommand(const CatalogueList &list) : m_list(list) {}

    void mnuCopyPath_Click();

private:
    const CatalogueList &m_list;
};
