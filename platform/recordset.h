#pragma once

#include "platform/largearray.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <map>
#include <vector>

class Connection;
struct sqlite3_stmt;

enum CursorTypeEnum { adOpenKeyset = 1 };
enum LockTypeEnum { adLockPessimistic = 2, adLockOptimistic = 3 };
enum AffectEnum { adAffectCurrent = 1 };

// Error numbers of the recordset's own failures.
enum RecordsetError {
    adErrNoCurrentRecord = 3021,
    adErrItemNotFound = 3265,
    adErrObjectClosed = 3704,
    adErrObjectOpen = 3705,
};

class Recordset;

// One field of the current row, by name: Fields("Path").Value().
class Field
{
public:
    Field(Recordset *rs, QString name) : m_rs(rs), m_name(std::move(name)) {}
    QVariant Value() const; // null QVariant for an empty field
    void setValue(const QVariant &value);

private:
    Recordset *m_rs;
    QString m_name;
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
// Requery; values are read from the table when asked for. Every AddNew + Update and every
// Delete is committed at once. Failures raise PlatformError.
class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // source is a table name or a SELECT statement over one table; params are bound to the
    // statement's ? placeholders in order.
    void Open(const QString &source, Connection *connection, int cursorType, int lockType,
              int options = -1, const QVariantList &params = QVariantList());
    void Close();
    bool isOpen() const { return m_connection != nullptr; }

    // Runs the source again. With a sink, every row's cells are handed to it as they are read.
    // The position is then past the last row.
    void Requery(int options = -1);
    void Requery(RowSink *sink);

    void MoveFirst();
    void MoveNext();
    bool Eof();

    Field Fields(const QString &name) { return Field(this, name); }

    void AddNew();
    void Update();
    void Delete(int affectRecords = adAffectCurrent);
    // Deletes the row with this ID if the open set holds it; true when a row was deleted.
    // Committed at once, like Delete + Update.
    bool DeleteByKey(qint64 id);

    qint64 RecordCount();

    QString source() const { return m_source; }
    int lockType() const { return m_lockType; }

private:
    friend class Field;
    QVariant value(const QString &name);
    void setValue(const QString &name, const QVariant &value);
    void requireOpen() const;
    void requireCurrent() const;
    void loadKeys(RowSink *sink);
    void ensureKeys();
    void skipDeleted();
    int columnIndex(const QString &name) const;
    QString writeStatement(bool adding, const std::map<int, QVariant> &pending) const;
    bool deleteAt(size_t position);
    sqlite3_stmt *prepared(const QString &sql);
    void finalizeStatements();
    void bind(sqlite3_stmt *stmt, int index, const QVariant &value);
    static QVariant columnValue(sqlite3_stmt *stmt, int column, const QString &declaredType);

    Connection *m_connection = nullptr;
    QString m_source;
    QString m_statement;
    bool m_isTable = false;
    QString m_table;
    QVariantList m_params;
    int m_lockType = adLockOptimistic;
    std::vector<QString> m_columns;
    std::vector<RowCell> m_rowCells; // one row's cells on their way to a sink
    std::vector<QString> m_columnTypes;
    int m_idColumn = -1;
    QHash<QString, int> m_columnIndex; // exact names; other spellings are found by a scan
    std::map<QString, sqlite3_stmt *> m_statements;
    std::map<QString, sqlite3_stmt *> m_writeStatements; // by the set of fields written

    // The keyset: the source's row keys in its order, and which of them this set deleted.
    LargeArray<qint64> m_keys;
    std::vector<bool> m_deleted;
    std::vector<std::pair<qint64, size_t>> m_keyIndex; // sorted by key, made on first use
    qint64 m_liveCount = 0;
    bool m_keysStale = false; // read on first use after Open: a refill reads them anyway
    size_t m_position = 0;

    // Current row values, read on first use at a position.
    size_t m_cachedPosition = size_t(-1);
    std::vector<QVariant> m_cachedRow;

    // A row begun by AddNew, or changes to the current row, until Update.
    bool m_adding = false;
    std::map<int, QVariant> m_pending;
};
