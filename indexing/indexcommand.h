#pragma once

class FolderIndexer;
class Workspace;

// The Index Directory command: asks for a path, indexes the tree below it, refills the list.
class IndexCommand
{
public:
    IndexCommand(Workspace &workspace, FolderIndexer &indexer)
        : m_workspace(workspace), m_indexer(indexer)
    {}

    // The typed text is passed on as it is, blanks included; Cancel gives the empty text, which
    // indexes nothing. The list is refilled in every case.
    void cmdIndexDirectory_Click();

private:
    Workspace &m_workspace;
    FolderIndexer &m_indexer;
};
