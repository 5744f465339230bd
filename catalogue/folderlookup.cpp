#include "catalogue/folderlookup.h"

#include "catalogue/schema.h"
#include "platform/connection.h"

namespace {

const char LookupStatement[] =
    "SELECT File FROM Files WHERE Path = ?1 AND Archive = ?2 AND Serial = ?3";

} // namespace

FolderLookup::FolderLookup(Connection &connection) : m_connection(connection) {}

FolderLookup::~FolderLookup() = default;

void FolderLookup::names(const QByteArray &folder, const QByteArrayList &others,
                         const QByteArray &label, const QByteArray &serial, QSet<QByteArray> &names)
{
    names.clear();
    if (!m_statement) {
        // The index is made here rather than at open: a large catalogue another program wrote
        // then opens at once, and waits for it only when first indexed into.
        Statement::exec(m_connection, Schema::section("folder lookup").constData());
        m_statement = std::make_unique<Statement>(m_connection, LookupStatement);
    }
    add(folder, label, serial, names);
    for (const QByteArray &other : others)
        add(other, label, serial, names);
}

void FolderLookup::add(const QByteArray &folder, const QByteArray &label, const QByteArray &serial,
                       QSet<QByteArray> &names)
{
    Statement &lookup = *m_statement;
    lookup.bindText(1, folder);
    lookup.bindText(2, label);
    lookup.bindText(3, serial);
    while (lookup.step()) {
        const std::string_view name = lookup.textAt(0);
        names.insert(QByteArray(name.data(), qsizetype(name.size())));
    }
    lookup.reset();
}
