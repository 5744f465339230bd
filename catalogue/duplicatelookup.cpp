#include "catalogue/duplicatelookup.h"

#include "platform/connection.h"

#include <sqlite3.h>

namespace {

const char LookupStatement[] =
    "SELECT File FROM Files WHERE Path = ?1 AND Archive = ?2 AND Serial = ?3";
// Path first: the files of one folder are written one after the other, so their index entries
// share pages; a folder of one medium is one range of it.
const char LookupIndex[] =
    "CREATE INDEX IF NOT EXISTS FilesByFolder ON Files (Path, Archive, Serial, File)";

void bind(sqlite3_stmt *statement, int index, const QByteArray &text)
{
    sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_STATIC);
}

} // namespace

DuplicateLookup::~DuplicateLookup()
{
    sqlite3_finalize(m_statement);
}

void DuplicateLookup::namesIn(const QByteArray &path, const QByteArray &label,
                              const QByteArray &serial, NameSet &names)
{
    names.clear();
    if (!m_statement) {
        const int rc =
            sqlite3_prepare_v2(m_connection.handle(), LookupStatement, -1, &m_statement, nullptr);
        if (rc != SQLITE_OK) {
            m_statement = nullptr;
            m_connection.raise(rc);
        }
    }
    bind(m_statement, 1, path);
    bind(m_statement, 2, label);
    bind(m_statement, 3, serial);
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

void DuplicateLookup::prepareCatalogue(Connection &connection)
{
    const int rc = sqlite3_exec(connection.handle(), LookupIndex, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && (rc & 0xFF) != SQLITE_READONLY)
        connection.raise(rc);
}
