#pragma once

#include "platform/largearray.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <map>
#include <memory>
#include <vector>

class Connection;
class Statement;

// Error numbers of the recordset's own failures.
enum RecordsetError {
    adErrItemNotFound = 3265,
    adErrObjectClosed = 3704,
    adErrObjectOpen = 3705,
};

// One cell of a row as Requery reads it: the engine's UTF-8 bytes, valid until the next row.
// A field with no value has no data; an empty text has data and length 0.
struct RowCell
{
    const char *data;
    int length;
};

// Receives the rows of a source as Requery reads them, in order, without a copy per cell.
class RowSink
{
public:
    virtual ~RowSink() = default;
    // Called once before the rows, with the source's column names.
    virtual void begin(const std::vector<QString> &columns) = 0;
    // The row's key and its cells in the order of begin(); the key's own cell has no data.
    virtual void row(qint64 id, const RowCell *cells) = 0;
};

// A keyset cursor over a table or a statement: the set of row keys (ID) is fixed by Open and
// Requery; the rows themselves are handed to a sink as Requery reads them. A Delete is committed
// at once. Failures raise PlatformError.
class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // source is a table name or a SELECT statement over one table; params are bound to the
    // statement's ? placeholders in order.
    void Open(const QString &source, Connection *connection,
              const QVariantList &params = QVariantList());
    void Close();
    bool isOpen() const { return m_connection != nullptr; }

    // Runs the source again, handing every row's cells to sink as they are read.
    void Requery(RowSink *sink);

    // Deletes the row with this ID if the open set holds it; true when a row was deleted.
    // Committed at once.
    bool DeleteByKey(qint64 id);

    // Whether the source gives no row at all (BOF and EOF at once): read only up to its first
    // row, in whatever order is quickest.
    bool isEmpty();

    QString source() const { return m_source; }

private:
    void requireOpen() const;
    void loadKeys(RowSink *sink);
    // Binds the source's parameters to statement; texts keeps the bound texts alive.
    void bindParams(Statement &statement, std::vector<QByteArray> &texts) const;
    Statement &prepared(const QString &sql);

    Connection *m_connection = nullptr;
    QString m_source;
    QString m_statement;
    bool m_isTable = false;
    QString m_table;
    QVariantList m_params;
    std::vector<QString> m_columns;
    std::vector<RowCell> m_rowCells; // one row's cells on their way to a sink
    int m_idColumn = -1;
    std::map<QString, std::unique_ptr<Statement>> m_statements;

    // The keyset: the source's row keys in its order, and which of them this set deleted.
    LargeArray<qint64> m_keys;
    LargeArray<qint64> m_spareKeys; // the last small keyset's memory, for the next read
    std::vector<bool> m_deleted;
    std::vector<std::pair<qint64, size_t>> m_keyIndex; // sorted by key, made on first use
    qint64 m_liveCount = 0;
    bool m_keysStale = false; // read on first use after Open: a refill reads them anyway
};
