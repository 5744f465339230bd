#include "window/list/listview.h"

#include "catalogue/catalogue.h"

ListView ListView::search(const QString &text)
{
    ListView view(Search);
    view.m_text = text;
    return view;
}

ListView ListView::medium(const QString &label, const QString &serial)
{
    ListView view(Medium);
    view.m_label = label;
    view.m_serial = serial;
    return view;
}

ListView ListView::folder(const QString &label, const QString &serial, const QString &path)
{
    ListView view(Folder);
    view.m_label = label;
    view.m_serial = serial;
    view.m_folder = path;
    return view;
}

ListView ListView::find(const FindQuery &query)
{
    ListView view(Find);
    view.m_query = query;
    return view;
}

void ListView::open(Catalogue &catalogue) const
{
    switch (m_kind) {
    case Search:
        catalogue.openSearchView(m_text);
        break;
    case Duplicates:
        catalogue.openDuplicatesView();
        break;
    case Medium:
        catalogue.openMediumView(m_label, m_serial);
        break;
    case Folder:
        catalogue.openFolderView(m_label, m_serial, m_folder);
        break;
    case WholeCatalogue:
    case Find:
        catalogue.openFullView();
        break;
    }
}
