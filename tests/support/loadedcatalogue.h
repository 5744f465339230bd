#pragma once

#include "catalogue/catalogue.h"
#include "window/list/cataloguelist.h"

#include <QString>

// A catalogue opened as the main window opens it, with its list, and no window.
struct LoadedCatalogue
{
    LoadedCatalogue() : list(catalogue) {}
    // Opens folder/data.mdb and fills the list; raises PlatformError as the window's load does.
    void Form_Load(const QString &folder);

    Catalogue catalogue;
    CatalogueList list;
};
