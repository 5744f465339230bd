#include "support/cataloguefixture.h"

#include "platform/app.h"

#include <QFile>
#include <QtTest>

#include <sqlite3.h>

CatalogueFixture::CatalogueFixture()
{
    QFile schema(QStringLiteral(VELLUMARK_SOURCE_DIR "/catalogue/schema.sql"));
    if (!m_dir.isValid() || !schema.open(QIODevice::ReadOnly))
        qFatal("cannot make a test catalogue");
    const QByteArray file = QFile::encodeName(m_dir.filePath(QStringLiteral("data.mdb")));
    if (sqlite3_open(file.constData(), &m_db) != SQLITE_OK)
        qFatal("cannot open %s", file.constData());
    sqlite3_busy_timeout(m_db, 5000);
    // A test's catalogue need not survive a power cut: no waiting for the disk.
    exec(QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"));
    exec(QString::fromUtf8(schema.readAll()));
    App::setPathForTesting(m_dir.path());
}

CatalogueFixture::~CatalogueFixture()
{
    sqlite3_close(m_db);
    App::setPathForTesting(QString());
}

void CatalogueFixture::exec(const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    }
}

qint64 CatalogueFixture::addRow(const QString &path, const QString &file, const QString &archive,
                                const QString &serial)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(m_db,
                       "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, "
                       "Archive, Serial) VALUES (?, ?, '1', '2024-01-02', '2024-01-02', "
                       "'2024-01-02', ?, ?)",
                       -1, &statement, nullptr);
    const QByteArray p = path.toUtf8(), f = file.toUtf8(), a = archive.toUtf8(),
                     s = serial.toUtf8();
    sqlite3_bind_text(statement, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
    if (file.isNull())
        sqlite3_bind_null(statement, 2);
    else
        sqlite3_bind_text(statement, 2, f.constData(), int(f.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 3, a.constData(), int(a.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 4, s.constData(), int(s.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        qFatal("cannot add a row: %s", sqlite3_errmsg(m_db));
    return sqlite3_last_insert_rowid(m_db);
}
