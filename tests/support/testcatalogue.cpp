#include "support/testcatalogue.h"

#include "catalogue/schemasql.h"
#include "window/list/cataloguelist.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QProcess>
#include <QTableView>
#include <QtTest>

#include <sqlite3.h>
#include <unistd.h>

namespace TestCatalogue {

namespace {
sqlite3 *openFile(const QString &file)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(file));
    sqlite3_busy_timeout(db, 5000); // another process may be writing
    return db;
}
} // namespace

QString create(const QString &dir, const QString &fileName)
{
    const QString file = dir + QLatin1Char('/') + fileName;
    // A test's catalogue need not wait for the disk while it is made.
    exec(file, QStringLiteral("PRAGMA synchronous=OFF;") + QString::fromUtf8(SchemaSql));
    return file;
}

void exec(const QString &file, const QString &sql)
{
    sqlite3 *db = openFile(file);
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("%s: %s", qPrintable(sql), error);
    sqlite3_close(db);
}

QStringList rows(const QString &file, const QString &fields)
{
    return query(file, QStringLiteral("SELECT %1 FROM Files ORDER BY ID").arg(fields));
}

QStringList query(const QString &file, const QString &text)
{
    sqlite3 *db = openFile(file);
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = text.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    QStringList result;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList cells;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            cells.append(sqlite3_column_type(stmt, i) == SQLITE_NULL
                             ? QStringLiteral("<null>")
                             : QString::fromUtf8(
                                   reinterpret_cast<const char *>(sqlite3_column_text(stmt, i))));
        result.append(cells.join(QLatin1Char('|')));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

void leaveInLog(const QString &file)
{
    sqlite3 *db = openFile(file);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; INSERT INTO Files (File) VALUES ('logged')", nullptr,
                 nullptr, nullptr);
    // Copied while the connection holds them, and put back after it folded them at its close.
    const QStringList names = {file, file + "-wal", file + "-shm"};
    QList<QByteArray> contents;
    for (const QString &name : names)
        contents.append(content(name));
    sqlite3_close(db);
    for (int i = 0; i < names.size(); ++i) {
        QFile f(names[i]);
        if (!f.open(QIODevice::WriteOnly) || f.write(contents[i]) != contents[i].size())
            qFatal("cannot write %s", qPrintable(names[i]));
    }
}

QString value(const QString &file, const QString &sql)
{
    sqlite3 *db = openFile(file);
    sqlite3_stmt *stmt = nullptr;
    QString text;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return text;
}

void fill(const QString &file, int n)
{
    if (n <= 0)
        return;
    exec(file, QStringLiteral("WITH RECURSIVE i(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM i "
                              "WHERE n < %1) INSERT INTO Files (Path, File, Size) SELECT '/disc', "
                              "'file' || n || '.txt', 'MARK' || n || ';' FROM i")
                   .arg(n));
}

QByteArray content(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void damagePageOf(const QString &file, const QByteArray &marker)
{
    const QByteArray bytes = content(file);
    const int pageSize = (uchar(bytes.at(16)) << 8) | uchar(bytes.at(17));
    const qsizetype at = bytes.indexOf(marker);
    if (at < 0)
        qFatal("no %s in %s", marker.constData(), qPrintable(file));
    QByteArray noise(pageSize, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(at / pageSize * pageSize) ||
        f.write(noise) != noise.size())
        qFatal("cannot damage %s", qPrintable(file));
}

QStringList listed(const CatalogueList &list, int subItem)
{
    QStringList cells;
    for (int row = 0; row < list.count(); ++row)
        cells.append(list.text(row, subItem));
    return cells;
}

void select(const CatalogueList &list, int row, bool add)
{
    const QModelIndex index = list.selectionModel()->model()->index(row, 0);
    const QItemSelectionModel::SelectionFlags rows = QItemSelectionModel::Rows;
    if (add)
        list.selectionModel()->select(index, QItemSelectionModel::Select | rows);
    else
        list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | rows);
}

QStringList listed(const QTableView *view, int column)
{
    QStringList cells;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        cells.append(view->model()->index(row, column).data().toString());
    return cells;
}

} // namespace TestCatalogue

ReadOnlyMount::ReadOnlyMount(const QString &folder)
{
    if (geteuid() != 0 ||
        QProcess::execute(QStringLiteral("mount"), {"--bind", folder, m_point.path()}) != 0)
        return;
    m_mounted =
        QProcess::execute(QStringLiteral("mount"), {"-o", "remount,bind,ro", m_point.path()}) == 0;
    if (!m_mounted)
        QProcess::execute(QStringLiteral("umount"), {m_point.path()});
}

ReadOnlyMount::~ReadOnlyMount()
{
    if (m_mounted)
        QProcess::execute(QStringLiteral("umount"), {m_point.path()});
}

CatalogueFixture::CatalogueFixture()
    : m_db(TestCatalogue::openFile(TestCatalogue::create(m_dir.path())))
{
    sqlite3_busy_timeout(m_db, 5000);
    // No waiting for the disk; WAL lets this connection write while the program reads.
    exec(QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"));
}

CatalogueFixture::~CatalogueFixture()
{
    sqlite3_close(m_db);
}

void CatalogueFixture::exec(const QString &sql)
{
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        QTest::qFail(sqlite3_errmsg(m_db), __FILE__, __LINE__);
}

void CatalogueFixture::addRow(const QString &path, const QString &file, const QString &archive)
{
    const auto quoted = [](QString text) {
        return text.isNull() ? QStringLiteral("NULL") : "'" + text.replace("'", "''") + "'";
    };
    exec(
        QStringLiteral("INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, Archive, "
                       "Serial) VALUES (%1, %2, '1', '2024-01-02', '2024-01-02', '2024-01-02', "
                       "%3, '1234-ABCD')")
            .arg(quoted(path), quoted(file), quoted(archive)));
}
