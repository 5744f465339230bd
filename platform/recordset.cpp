#include "platform/recordset.h"

#include "platform/connection.h"
#include "platform/platformerror.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int RowDeleted = -2147217885;
constexpr int FieldNotUpdatable = -2147217887;
constexpr int ConnectionUnusable = 3709;

[[noreturn]] void raiseNoCurrentRecord()
{
    throw PlatformError(adErrNoCurrentRecord,
                        QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                       "deleted. Requested operation requires a current record."));
}

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

bool isDateType(const QString &declared)
{
    return declared.startsWith(QLatin1String("DATE"), Qt::CaseInsensitive);
}

// Dates are kept as ISO text: the day alone at midnight, with the time otherwise.
QVariant storedValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: {
        // Written once per date of every indexed file: formatted by hand, not by the locale.
        const QDate d = value.toDate();
        if (!d.isValid())
            return QVariant(); // no date is no value, not an empty text
        if (d.year() < 1 || d.year() > 9999)
            return d.toString(Qt::ISODate);
        char text[11];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        return QString::fromLatin1(text, 10);
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            return QVariant();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(Qt::ISODate);
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return value;
    }
}

QVariant dateValue(const QString &text)
{
    if (text.size() == 10)
        return QDate::fromString(text, Qt::ISODate);
    const QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return dt.isValid() ? QVariant(dt) : QVariant(text);
}

// A prepared statement that finalizes itself.
struct Statement
{
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace

QVariant Field::Value() const
{
    return m_rs->value(m_name);
}
void Field::setValue(const QVariant &value)
{
    m_rs->setValue(m_name, value);
}

Recordset::Recordset() = default;

Recordset::~Recordset()
{
    if (isOpen())
        Close();
}

void Recordset::Open(const QString &source, Connection *connection, int, int lockType, int,
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
    std::vector<QString> columns, types;
    int idColumn = -1;
    for (int i = 0; i < sqlite3_column_count(probe.stmt); ++i) {
        columns.push_back(QString::fromUtf8(sqlite3_column_name(probe.stmt, i)));
        const char *declared = sqlite3_column_decltype(probe.stmt, i);
        types.push_back(declared ? QString::fromUtf8(declared) : QString());
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
    m_lockType = lockType;
    m_columns = std::move(columns);
    m_columnIndex.clear();
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columnIndex.insert(m_columns[i], int(i));
    m_columnTypes = std::move(types);
    m_idColumn = idColumn;
    m_keysStale = true;
    m_position = 0;
}

void Recordset::ensureKeys()
{
    if (m_keysStale) {
        loadKeys(nullptr);
        m_position = 0;
    }
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
    m_position = 0;
    m_cachedPosition = size_t(-1);
    m_adding = false;
    m_pending.clear();
}

void Recordset::Requery(int)
{
    requireOpen();
    loadKeys(nullptr);
    m_position = 0;
}

void Recordset::Requery(RowSink *sink)
{
    requireOpen();
    loadKeys(sink);
    m_position = m_keys.size();
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
    m_adding = false;
    m_pending.clear();
    m_cachedPosition = size_t(-1);
    m_keys.swap(keys);
    m_deleted.assign(m_keys.size(), false);
    m_keyIndex.clear();
    m_liveCount = qint64(m_keys.size());
}

void Recordset::MoveFirst()
{
    requireOpen();
    ensureKeys();
    m_adding = false;
    m_pending.clear();
    m_position = 0;
    skipDeleted();
    if (m_position >= m_keys.size())
        raiseNoCurrentRecord();
}

void Recordset::MoveNext()
{
    requireOpen();
    ensureKeys();
    if (m_position >= m_keys.size())
        raiseNoCurrentRecord();
    m_adding = false;
    m_pending.clear();
    ++m_position;
    skipDeleted();
}

void Recordset::skipDeleted()
{
    while (m_position < m_keys.size() && m_deleted[m_position])
        ++m_position;
}

bool Recordset::Eof()
{
    requireOpen();
    ensureKeys();
    return m_position >= m_keys.size();
}

int Recordset::columnIndex(const QString &name) const
{
    if (const auto it = m_columnIndex.constFind(name); it != m_columnIndex.constEnd())
        return it.value();
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    throw PlatformError(adErrItemNotFound,
                        QStringLiteral("Item cannot be found in the collection corresponding to "
                                       "the requested name or ordinal."));
}

QVariant Recordset::value(const QString &name)
{
    requireOpen();
    ensureKeys();
    const int column = columnIndex(name);
    if (m_adding) {
        if (column == m_idColumn)
            return QVariant();
        const auto it = m_pending.find(column);
        return it == m_pending.end() ? QVariant() : it->second;
    }
    requireCurrent();
    if (column == m_idColumn)
        return m_keys[m_position];
    if (const auto it = m_pending.find(column); it != m_pending.end())
        return it->second;
    if (m_cachedPosition != m_position) {
        sqlite3_stmt *stmt =
            prepared(QStringLiteral("SELECT * FROM %1 WHERE ID = ?").arg(quoted(m_table)));
        sqlite3_bind_int64(stmt, 1, m_keys[m_position]);
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW) {
            sqlite3_reset(stmt);
            if (rc == SQLITE_DONE)
                throw PlatformError(RowDeleted,
                                    QStringLiteral("Row handle referred to a deleted row or a row "
                                                   "marked for deletion."));
            m_connection->raise(rc);
        }
        m_cachedRow.clear();
        // The table's own columns, matched by name: a statement may list them in another order.
        std::vector<QVariant> byName(m_columns.size());
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const QString columnName = QString::fromUtf8(sqlite3_column_name(stmt, i));
            for (size_t c = 0; c < m_columns.size(); ++c)
                if (m_columns[c].compare(columnName, Qt::CaseInsensitive) == 0)
                    byName[c] = columnValue(stmt, i, m_columnTypes[c]);
        }
        sqlite3_reset(stmt);
        m_cachedRow.assign(byName.begin(), byName.end());
        m_cachedPosition = m_position;
    }
    return m_cachedRow.at(column);
}

QVariant Recordset::columnValue(sqlite3_stmt *stmt, int i, const QString &declaredType)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, i);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                          sqlite3_column_bytes(stmt, i));
    default: {
        const QString text =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                              sqlite3_column_bytes(stmt, i));
        return isDateType(declaredType) ? dateValue(text) : QVariant(text);
    }
    }
}

void Recordset::setValue(const QString &name, const QVariant &value)
{
    requireOpen();
    ensureKeys();
    const int column = columnIndex(name);
    if (column == m_idColumn)
        throw PlatformError(FieldNotUpdatable,
                            QStringLiteral("Field '%1' cannot be updated.").arg(name));
    if (!m_adding)
        requireCurrent();
    m_pending[column] = storedValue(value);
}

void Recordset::AddNew()
{
    requireOpen();
    ensureKeys();
    // A row begun before and never finished is dropped, not written later.
    m_adding = true;
    m_pending.clear();
}

void Recordset::Update()
{
    requireOpen();
    ensureKeys();
    if (!m_adding && m_pending.empty())
        return;
    // Whatever happens, the pending change is not kept for a later Update.
    const bool adding = m_adding;
    std::map<int, QVariant> pending;
    pending.swap(m_pending);
    m_adding = false;
    m_connection->beginWrite();

    // The statement depends only on which fields are written: keep one per set of fields.
    QString key = adding ? QStringLiteral("+") : QStringLiteral("=");
    for (const auto &entry : pending)
        key += QChar(ushort(entry.first + 1));
    sqlite3_stmt *stmt = nullptr;
    if (const auto it = m_writeStatements.find(key); it != m_writeStatements.end())
        stmt = it->second;
    else
        stmt =
            m_writeStatements.emplace(key, prepared(writeStatement(adding, pending))).first->second;
    int index = 1;
    for (const auto &entry : pending)
        bind(stmt, index++, entry.second);
    if (!adding)
        sqlite3_bind_int64(stmt, index, m_keys[m_position]);
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE)
        m_connection->raise(rc);

    if (adding) {
        m_keys.push_back(sqlite3_last_insert_rowid(m_connection->handle()));
        m_deleted.push_back(false);
        m_keyIndex.clear();
        ++m_liveCount;
        m_position = m_keys.size() - 1;
    }
    m_cachedPosition = size_t(-1);
}

QString Recordset::writeStatement(bool adding, const std::map<int, QVariant> &pending) const
{
    QStringList names, marks;
    for (const auto &entry : pending) {
        names.append(quoted(m_columns[size_t(entry.first)]));
        marks.append(adding ? QStringLiteral("?") : QStringLiteral("%1 = ?").arg(names.last()));
    }
    if (!adding)
        return QStringLiteral("UPDATE %1 SET %2 WHERE ID = ?")
            .arg(quoted(m_table), marks.join(QLatin1Char(',')));
    if (names.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoted(m_table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

void Recordset::Delete(int)
{
    requireOpen();
    ensureKeys();
    if (m_adding) {
        m_adding = false;
        m_pending.clear();
        return;
    }
    requireCurrent();
    deleteAt(m_position);
}

bool Recordset::DeleteByKey(qint64 id)
{
    requireOpen();
    m_connection->beginWrite(); // a damaged file refuses before any row is looked for
    ensureKeys();
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
    return deleteAt(it->second);
}

bool Recordset::deleteAt(size_t position)
{
    m_connection->beginWrite();
    sqlite3_stmt *stmt =
        prepared(QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(quoted(m_table)));
    sqlite3_bind_int64(stmt, 1, m_keys[position]);
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        m_connection->raise(rc);
    const bool deleted = sqlite3_changes(m_connection->handle()) > 0;
    m_deleted[position] = true;
    --m_liveCount;
    if (m_cachedPosition == position)
        m_cachedPosition = size_t(-1);
    return deleted;
}

qint64 Recordset::RecordCount()
{
    requireOpen();
    ensureKeys();
    return m_liveCount;
}

void Recordset::requireOpen() const
{
    if (!isOpen())
        throw PlatformError(adErrObjectClosed,
                            QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::requireCurrent() const
{
    if (m_position >= m_keys.size() || m_deleted[m_position])
        raiseNoCurrentRecord();
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
    m_writeStatements.clear();
    for (auto &entry : m_statements)
        sqlite3_finalize(entry.second);
    m_statements.clear();
}

void Recordset::bind(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    int rc;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            // A name as the system spells it: kept byte for byte even when it is not UTF-8.
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = storedValue(value).toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        m_connection->raise(rc);
}
