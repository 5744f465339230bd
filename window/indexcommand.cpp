#include "window/indexcommand.h"

#include "catalogue/catalogue.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/messagebox.h"

IndexCommand::IndexCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer,
                           colFFiles &colIndexed, VolumeQuery &volumes, FolderLister &lister,
                           FileMetadataReader &metadata)
    : m_catalogue(catalogue), m_list(list),
      m_indexer(catalogue, colIndexed, pointer, *this, volumes, lister, metadata)
{}

void IndexCommand::cmdIndexDirectory_Click()
{
    const QString path = InputBox(QStringLiteral("Please enter the path you would like to index:"));
    m_indexer.IndexFolder(path);
    m_catalogue.fold();
    m_list.RefreshLv();
}

void IndexCommand::folderFailed(int number, const QString &description)
{
    ShowErrorBox(number, description);
}
