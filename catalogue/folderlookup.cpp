#include "catalogue/folderlookup.h"

#include "catalogue/schema.h"
#include "platform/connection.h"

#include <sqlite3.h>

namespace {

const char LookupStatement[] =
    "SELECT File FROM Files WHERE Path = ?1 AND Archive = ?2 AND Serial = ?3";

void bindText(sqlite3_stmt *statement, int index, const QByteArray &text)
{
    sqlite3_bind_text(statement, index, text.isNull() ? "" : text.constData(), int(text.size()),
                      SQLITE_STATIC);
}

} // namespace

FolderLookup::FolderLookup(Connection &connection) : m_connection(connection) {}

FolderLookup::~FolderLookup()
{
    sqlite3_finalize(m_statement);
}

void FolderLookup::names(const QByteArray &folder, const QByteArrayList &others,
                         const QByteArray &label, const QByteArray &serial, QSet<QByteArray> &names)
{
    names.clear();
    if (!m_statement) {
        // The index is made here rather than at open: a large catalogue another program wrote
        // then opens at once, and waits for it only when first indexed into.
        int rc = sqlite3_exec(m_connection.handle(), Schema::section("folder lookup").constData(),
                              nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_prepare_v2(m_connection.handle(), LookupStatement, -1, &m_statement,
                                    nullptr);
        if (rc != SQLITE_OK) {
            m_statement = nullptr;
            m_connection.raise(rc);
        }
    }
    add(folder, label, serial, names);
    for (const QByteArray &other : others)
        add(other, label, serial, names);
}

void FolderLookup::add(const QByteArray &folder, const QByteArray &label, const QByteArray &serial,
                       QSet<QByteArray> &names)
{
    bindText(m_statement, 1, folder);
    bindText(m_statement, 2, label);
    bindText(m_statement, 3, serial);
    int rc;
    while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
        names.insert(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, 0)),
                                sqlite3_column_bytes(m_statement, 0)));
    }
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    if (rc != SQLITE_DONE)
        m_connection.raise(rc);
}
