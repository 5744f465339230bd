#include "platform/recordset.h"

#include "platform/connection.h"
#include "platform/platformerror.h"
#include "platform/statement.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int ConnectionUnusable = 3709;
constexpr size_t SpareKeys = 65536;

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

} // namespace

Recordset::Recordset() = default;

Recordset::~Recordset()
{
    if (isOpen())
        Close();
}

void Recordset::Open(const QString &source, Connection *connection, const QVariantList &params)
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
    const Statement probe(*connection, statement.toUtf8().constData());
    std::vector<QString> columns;
    int idColumn = -1;
    for (int i = 0; i < probe.columnCount(); ++i) {
        columns.push_back(probe.columnName(i));
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
    m_statements.clear();
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
    Statement &source = prepared(sql);
    const int idColumn = (!sink && m_isTable) ? 0 : m_idColumn;

    // The new keyset is taken only once the whole source has been read. Whatever fails on the
    // way (the engine, or a sink refusing a row) leaves the set as it was and the statement
    // at its start, so the next requery runs it from the first row.
    struct Rewind
    {
        Statement &statement;
        ~Rewind() { statement.reset(); }
    } rewind{source};
    std::vector<QByteArray> texts; // bound without a copy: kept until the rewind
    bindParams(source, texts);
    if (sink)
        sink->begin(m_columns);
    // A whole table needs no keys to find its rows by (as after Open): its walk keeps none, and
    // the eight bytes a row they would take stay free.
    const bool keep = !(sink && m_isTable);
    LargeArray<qint64> keys;
    keys.swap(m_spareKeys);
    keys.clear();
    m_rowCells.resize(m_columns.size());
    while (source.step()) {
        const qint64 id = source.intAt(idColumn);
        if (keep)
            keys.push_back(id);
        if (sink) {
            for (size_t c = 0; c < m_rowCells.size(); ++c) {
                if (int(c) == m_idColumn) {
                    m_rowCells[c] = {nullptr, 0}; // the sink has the key as a number
                    continue;
                }
                bool null = false;
                const std::string_view text = source.cellAt(int(c), null);
                if (text.data())
                    m_rowCells[c] = {text.data(), int(text.size())};
                else if (!null)
                    m_rowCells[c] = {"", 0}; // no text from the engine: an empty cell
                else
                    m_rowCells[c] = {nullptr, 0};
            }
            sink->row(id, m_rowCells.data());
        }
    }

    m_keysStale = !keep;
    m_keys.swap(keys);
    // A small set's memory serves the next read: a source read again and again in small ranges
    // then maps and faults in no fresh pages for each. A large one goes, not held twice.
    if (keys.size() <= SpareKeys)
        m_spareKeys.swap(keys);
    m_deleted.assign(m_keys.size(), false);
    m_keyIndex.clear();
    m_keyIndex.shrink_to_fit();
    m_liveCount = qint64(m_keys.size());
}

bool Recordset::DeleteByKey(qint64 id)
{
    requireOpen();
    m_connection->beginWrite(); // a damaged file refuses before any row is looked for
    Statement &remove =
        prepared(QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(quoted(m_table)));
    if (m_keysStale && m_isTable) {
        // A set open on a whole table holds each of its rows: none needs looking for, and the
        // keys are read when they are next asked for.
        remove.bindInt(1, id);
        remove.step();
        remove.reset();
        return m_connection->changes() > 0;
    }
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
    remove.bindInt(1, id);
    remove.step();
    remove.reset();
    m_deleted[it->second] = true;
    --m_liveCount;
    return m_connection->changes() > 0;
}

void Recordset::bindParams(Statement &statement, std::vector<QByteArray> &texts) const
{
    for (int i = 0; i < m_params.size(); ++i) {
        const QVariant &value = m_params.at(i);
        if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            statement.bindInt(i + 1, value.toLongLong());
        } else {
            texts.push_back(value.toString().toUtf8());
            statement.bindText(i + 1, texts.back());
        }
    }
}

bool Recordset::isEmpty()
{
    requireOpen();
    if (!m_keysStale)
        return m_liveCount == 0;
    // The engine drops the source's ordering here: the first row found answers.
    Statement &probe = prepared(QStringLiteral("SELECT 1 FROM (%1) LIMIT 1").arg(m_statement));
    std::vector<QByteArray> texts;
    bindParams(probe, texts);
    const bool empty = !probe.step();
    probe.reset();
    return empty;
}

void Recordset::requireOpen() const
{
    if (!isOpen())
        throw PlatformError(adErrObjectClosed,
                            QStringLiteral("Operation is not allowed when the object is closed."));
}

Statement &Recordset::prepared(const QString &sql)
{
    std::unique_ptr<Statement> &statement = m_statements[sql];
    if (!statement)
        statement = std::make_unique<Statement>(*m_connection, sql.toUtf8().constData());
    return *statement;
}
