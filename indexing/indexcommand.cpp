#include "indexing/indexcommand.h"

#include "indexing/folderindexer.h"
#include "platform/dialogs.h"
#include "window/workspace.h"

void IndexCommand::cmdIndexDirectory_Click()
{
    const QString path = InputBox(QStringLiteral("Please enter the path you would like to index:"));
    m_indexer.IndexFolder(path);
    m_workspace.RefreshLv();
}
