#pragma once

#include <QString>

class Catalogue;

// What the main list shows: the whole catalogue, or one narrowed view of it (a search's rows,
// the duplicates, one medium's rows). Another kind of view is one more Kind, its factory and
// its case in open().
class ListView
{
public:
    enum Kind { WholeCatalogue, Search, Duplicates, Medium };

    static ListView wholeCatalogue() { return ListView(WholeCatalogue); }
    static ListView search(const QString &text);
    static ListView duplicates() { return ListView(Duplicates); }
    static ListView medium(const QString &label, const QString &serial);

    Kind kind() const { return m_kind; }
    // Every view but the whole catalogue: the search button then brings the whole one back.
    bool narrowed() const { return m_kind != WholeCatalogue; }
    const QString &text() const { return m_text; }
    const QString &label() const { return m_label; }
    const QString &serial() const { return m_serial; }

    // Opens rsFiles on the view; returns how many rows it holds. Raises PlatformError.
    qint64 open(Catalogue &catalogue) const;

private:
    explicit ListView(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    QString m_text;
    QString m_label;
    QString m_serial;
};
