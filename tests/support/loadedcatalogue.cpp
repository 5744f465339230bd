#include "support/loadedcatalogue.h"

void LoadedCatalogue::Form_Load(const QString &folder)
{
    catalogue.open(folder + QStringLiteral("/data.mdb"));
    list.RefreshLv();
}
