#pragma once

#include "catalogue/findquery.h"

#include <QString>

class Catalogue;

// What the main list shows: the whole catalogue, or one narrowed view of it (a search's rows,
// the duplicates, one medium's rows, the rows a Find query matches). Another kind of view is one
// more Kind, its factory and its case in open().
class ListView
{
public:
    enum Kind { WholeCatalogue, Search, Duplicates, Medium, Find, Folder };

    static ListView wholeCatalogue() { return ListView(WholeCatalogue); }
    static ListView search(const QString &text);
    static ListView duplicates() { return ListView(Duplicates); }
    static ListView medium(const QString &label, const QString &serial);
    // The rows of one medium at and below one of its folders.
    static ListView folder(const QString &label, const QString &serial, const QString &path);
    // The rows of the whole catalogue that query matches, filtered among the rows held.
    static ListView find(const FindQuery &query);

    Kind kind() const { return m_kind; }
    // Every view but the whole catalogue: the search button then brings the whole one back.
    bool narrowed() const { return m_kind != WholeCatalogue; }
    // Whether the rows of the whole catalogue, held, answer the view: a search's and Find's.
    bool answeredFromHeld() const
    {
        return m_kind == WholeCatalogue || m_kind == Search || m_kind == Find;
    }
    const QString &text() const { return m_text; }
    const QString &label() const { return m_label; }
    const QString &serial() const { return m_serial; }
    const QString &folder() const { return m_folder; }
    const FindQuery &query() const { return m_query; }

    // Opens rsFiles on the view. Raises PlatformError.
    void open(Catalogue &catalogue) const;

private:
    explicit ListView(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    QString m_text;
    QString m_label;
    QString m_serial;
    QString m_folder;
    FindQuery m_query;
};
