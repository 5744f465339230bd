#include "window/listview.h"

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

qint64 ListView::open(Catalogue &catalogue) const
{
    switch (m_kind) {
    case Search:
        catalogue.openSearchView(m_text);
        break;
    case Duplicates:
        return catalogue.openDuplicatesView();
    case Medium:
        catalogue.openMediumView(m_label, m_serial);
        break;
    case WholeCatalogue:
        catalogue.openFullView();
        break;
    }
    return catalogue.rsFiles().RecordCount();
}
