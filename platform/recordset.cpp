#include "platform/recordset.h"

#include "platform/connection.h"
#include "platform/platformerror.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr int ConnectionUnusable = 3709;

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// A prepared statement that finalizes itself.
struct Statement
{
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace

Recordset::Recordset() = default;

Recordset::~Recordset()
{
    if (isOpen())
        Close();
}

void Recordset::Open(const QString &source, Connection *connection, int, int, int,
                     const QVariantList &params)
{
    if (isOpen())
        throw PlatformError(adErrObjectOpen,
                            QStringLiteral("Operation is not allowed when the object is open."));
    if (!connection || !connection->isOpen())
        throw PlatformError(ConnectionUnusable,
                            QStringLiteral("The connection cannot be used to perform this "
                                           "operation. It is either closed or invalid in this "
                                           "context."));

    static const QRegularExpression tableName(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*$"));
    static const QRegularExpression fromTable(QStringLiteral("\\bFROM\\s+([A-Za-z_][A-Za-z0-9_]*)"),
                                              QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = tableName.match(source);
    const bool isTable = m.hasMatch();
    if (!isTable)
        m = fromTable.match(source);
    const QString table = m.hasMatch() ? m.captured(1) : QString();
    const QString statement =
        isTable ? QStringLiteral("SELECT * FROM %1").arg(quoted(table)) : source;

    // Prepare once to learn the columns and to refuse a source the engine cannot run.
    Statement probe;
    const QByteArray sql = statement.toUtf8();
    if (sqlite3_prepare_v2(connection->handle(), sql.constData(), int(sql.size()), &probe.stmt,
                           nullptr) != SQLITE_OK)
        connection->raise(sqlite3_errcode(connection->handle()));
    std::vector<QString> columns;
    int idColumn = -1;
    for (int i = 0; i < sqlite3_column_count(probe.stmt); ++i) {
        columns.push_back(QString::fromUtf8(sqlite3_column_name(probe.stmt, i)));
        if (columns.back().compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            idColumn = i;
    }
    if (table.isEmpty() || idColumn < 0)
        throw PlatformError(
            adErrItemNotFound,
            QStringLiteral("The source '%1' has no table with a key field ID.").arg(source));

    m_connection = connection;
    m_source = source;
    m_statement = statement;
    m_isTable = isTable;
    m_table = table;
    m_params = params;
    m_columns = std::move(columns);
    m_idColumn = idColumn;
    m_keysStale = true;
}

void Recordset::Close()
{
    requireOpen();
    finalizeStatements();
    m_connection = nullptr;
    m_source.clear();
    m_keys.clear();
    m_keys.shrink();
    m_deleted.clear();
    m_deleted.shrink_to_fit();
    m_keyIndex.clear();
    m_keyIndex.shrink_to_fit();
    m_liveCount = 0;
    m_keysStale = false;
}

void Recordset::Requery(RowSink *sink)
{
    requireOpen();
    loadKeys(sink);
}

void Recordset::loadKeys(RowSink *sink)
{
    // Without a sink only the keys are needed, and a table gives them without reading rows. In
    // the table's own order, as a walk with a sink sees them: a covering index would give
    // another.
    const QString sql = (!sink && m_isTable)
                            ? QStringLiteral("SELECT ID FROM %1 ORDER BY ID").arg(quoted(m_table))
                            : m_statement;
    sqlite3_stmt *stmt = prepared(sql);
    const int idColumn = (!sink && m_isTable) ? 0 : m_idColumn;

    // The new keyset is taken only once the whole source has been read. Whatever fails on the
    // way (the engine, or a sink refusing a row) leaves the set as it was and the statement
    // at its start, so the next requery runs it from the first row.
    struct Rewind
    {
        sqlite3_stmt *stmt;
        ~Rewind()
        {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    } rewind{stmt};
    for (int i = 0; i < m_params.size(); ++i)
        bind(stmt, i + 1, m_params.at(i));
    if (sink)
        sink->begin(m_columns);
    LargeArray<qint64> keys;
    m_rowCells.resize(m_columns.size());
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(stmt, idColumn);
        keys.push_back(id);
        if (sink) {
            for (size_t c = 0; c < m_rowCells.size(); ++c) {
                if (int(c) == m_idColumn) {
                    m_rowCells[c] = {nullptr, 0}; // the sink has the key as a number
                    continue;
                }
                // Text first: only a missing text needs the type asked, to tell null from empty.
                const auto *text =
                    reinterpret_cast<const char *>(sqlite3_column_text(stmt, int(c)));
                if (text)
                    m_rowCells[c] = {text, sqlite3_column_bytes(stmt, int(c))};
                else if (sqlite3_column_type(stmt, int(c)) != SQLITE_NULL)
                    m_rowCells[c] = {"", 0}; // no text from the engine: an empty cell
                else
                    m_rowCells[c] = {nullptr, 0};
            }
            sink->row(id, m_rowCells.data());
        }
    }
    if (rc != SQLITE_DONE)
        m_connection->raise(rc);

    m_keysStale = false;
    m_keys.swap(keys);
    m_deleted.assign(m_keys.size(), false);
    m_keyIndex.clear();
    m_liveCount = qint64(m_keys.size());
}

bool Recordset::DeleteByKey(qint64 id)
{
    requireOpen();
    m_connection->beginWrite(); // a damaged file refuses before any row is looked for
    if (m_keysStale)
        loadKeys(nullptr);
    if (m_keyIndex.size() != m_keys.size()) {
        m_keyIndex.resize(m_keys.size());
        for (size_t i = 0; i < m_keys.size(); ++i)
            m_keyIndex[i] = {m_keys[i], i};
        std::sort(m_keyIndex.begin(), m_keyIndex.end());
    }
    const auto it =
        std::lower_bound(m_keyIndex.begin(), m_keyIndex.end(), std::make_pair(id, size_t(0)));
    if (it == m_keyIndex.end() || it->first != id || m_deleted[it->second])
        return false;
    sqlite3_stmt *stmt =
        prepared(QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(quoted(m_table)));
    sqlite3_bind_int64(stmt, 1, id);
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        m_connection->raise(rc);
    m_deleted[it->second] = true;
    --m_liveCount;
    return sqlite3_changes(m_connection->handle()) > 0;
}

qint64 Recordset::RecordCount()
{
    requireOpen();
    if (m_keysStale)
        loadKeys(nullptr);
    return m_liveCount;
}

void Recordset::requireOpen() const
{
    if (!isOpen())
        throw PlatformError(adErrObjectClosed,
                            QStringLiteral("Operation is not allowed when the object is closed."));
}

sqlite3_stmt *Recordset::prepared(const QString &sql)
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return it->second;
    sqlite3_stmt *stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_connection->handle(), utf8.constData(), int(utf8.size()),
                                      &stmt, nullptr);
    if (rc != SQLITE_OK)
        m_connection->raise(rc);
    m_statements.emplace(sql, stmt);
    return stmt;
}

void Recordset::finalizeStatements()
{
    for (auto &entry : m_statements)
        sqlite3_finalize(entry.second);
    m_statements.clear();
}

void Recordset::bind(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    int rc;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
        rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
    } else {
        const QByteArray text = value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                                        : value.toString().toUtf8();
        rc = sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        m_connection->raise(rc);
}
