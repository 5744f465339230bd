#pragma once

#include "catalogue/catalogue.h"
#include "window/list/cataloguelist.h"

#include <QString>

class MousePointer;

// A catalogue opened as the main window opens it, with its list, and no window.
struct LoadedCatalogue
{
    explicit LoadedCatalogue(MousePointer &pointer) : list(catalogue, pointer) {}
    // Opens folder/data.mdb and fills the list; raises PlatformError as the window's load does.
    void Form_Load(const QString &folder);

    Catalogue catalogue;
    CatalogueList list;
};
