#include "window/workspace.h"

#include "catalogue/schemacheck.h"
#include "catalogue/searchindex.h"
#include "indexing/folderindexer.h"
#include "platform/app.h"
#include "platform/mousepointer.h"
#include "window/cataloguelistmodel.h"

void Workspace::Form_Load()
{
    pointer.setMousePointer(vbHourglass);
    cnCatalogue.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    cnCatalogue.setCheck(checkCatalogueSchema);
    cnCatalogue.Open(App::Path() + QStringLiteral("/data.mdb"), QString(), QString(), -1);
    // The search's matching and ordering, and its name index for catalogues made without one.
    // A catalogue that cannot take the index (read-only) is searched without it.
    SearchIndex::registerFunctions(cnCatalogue.handle());
    SearchIndex::ensure(cnCatalogue.handle());
    FolderIndexer::prepareCatalogue(cnCatalogue);
    rsFiles.Open(QStringLiteral("Files"), &cnCatalogue, adOpenKeyset, adLockOptimistic, -1);
    pointer.setMousePointer(vbDefault);
    RefreshLv();
}

void Workspace::RefreshLv()
{
    pointer.setMousePointer(vbHourglass);
    lvwFiles.clear();
    // Re-running the source and walking it is one pass: each row goes straight into the list.
    try {
        rsFiles.Requery(lvwFiles.model());
        lvwFiles.model()->finishFill();
    } catch (...) {
        // A source that cannot be run leaves the list empty; the refill still ends normally.
        lvwFiles.model()->finishFill();
        lvwFiles.clear();
    }
    pointer.setMousePointer(vbDefault);
}
