#include "catalogue/folderlookup.h"

#include "platform/connection.h"

#include <sqlite3.h>

namespace {

const char LookupStatement[] =
    "SELECT File FROM Files WHERE Path = ?1 AND Archive = ?2 AND Serial = ?3";

void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    sqlite3_bind_text16(statement, index,
                        text.isNull() ? reinterpret_cast<const ushort *>(u"") : text.utf16(),
                        int(text.size() * sizeof(char16_t)), SQLITE_STATIC);
}

void bindBytes(sqlite3_stmt *statement, int index, const QByteArray &bytes)
{
    sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
}

} // namespace

FolderLookup::FolderLookup(Connection &connection) : m_connection(connection) {}

FolderLookup::~FolderLookup()
{
    sqlite3_finalize(m_statement);
}

QSet<QByteArray> FolderLookup::names(const QList<QByteArray> &folders, const QString &label,
                                     const QString &serial)
{
    if (!m_statement) {
        const int rc =
            sqlite3_prepare_v2(m_connection.handle(), LookupStatement, -1, &m_statement, nullptr);
        if (rc != SQLITE_OK) {
            m_statement = nullptr;
            m_connection.raise(rc);
        }
    }
    QSet<QByteArray> files;
    for (const QByteArray &folder : folders) {
        bindBytes(m_statement, 1, folder);
        bindText(m_statement, 2, label);
        bindText(m_statement, 3, serial);
        int rc;
        while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
            files.insert(
                QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, 0)),
                           sqlite3_column_bytes(m_statement, 0)));
        }
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        if (rc != SQLITE_DONE)
            m_connection.raise(rc);
    }
    return files;
}
