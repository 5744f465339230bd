#pragma once

#include "indexing/folderindexer.h"
#include "indexing/indexingreport.h"

class Catalogue;
class CatalogueList;
class colFFiles;
class FileMetadataReader;
class FolderLister;
class MousePointer;
class VolumeQuery;

// The Index Directory command: asks for a path, indexes the tree below it, refills the list.
// A folder that fails is shown in the error box.
class IndexCommand : public IndexingReport
{
public:
    IndexCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer,
                 colFFiles &colIndexed, VolumeQuery &volumes, FolderLister &lister,
                 FileMetadataReader &metadata);

    // The typed text is passed on as it is, blanks included; Cancel gives the empty text, which
    // indexes nothing. The list is refilled in every case.
    void cmdIndexDirectory_Click();

    void folderFailed(int number, const QString &description) override;

private:
    Catalogue &m_catalogue;
    CatalogueList &m_list;
    FolderIndexer m_indexer;
};
