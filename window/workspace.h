#pragma once

#include "indexing/colffiles.h"
#include "platform/connection.h"
#include "platform/recordset.h"
#include "window/cataloguelist.h"

class MousePointer;

// What the main window holds for its whole run and its commands share: the catalogue
// connection, the one recordset, the list, and the window's mouse pointer.
class Workspace
{
public:
    explicit Workspace(MousePointer &pointer) : pointer(pointer) {}

    // Opens exe folder/data.mdb and the table Files, then fills the list. Raises PlatformError
    // when the catalogue cannot be opened.
    void Form_Load();
    // Rebuilds the whole list from rsFiles; never raises.
    void RefreshLv();

    Connection cnCatalogue;
    Recordset rsFiles;
    CatalogueList lvwFiles;
    colFFiles colIndexed; // the records of the folder being indexed
    MousePointer &pointer;
};
