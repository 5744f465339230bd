#include "support/cataloguefixture.h"

#include "platform/app.h"
#include "support/testcatalogue.h"

#include <QFile>
#include <QtTest>

#include <sqlite3.h>

CatalogueFixture::CatalogueFixture()
{
    const QByteArray file = QFile::encodeName(TestCatalogue::create(m_dir.path()));
    if (!m_dir.isValid() || sqlite3_open(file.constData(), &m_db) != SQLITE_OK)
        qFatal("cannot make a test catalogue");
    sqlite3_busy_timeout(m_db, 5000);
    // A test's catalogue need not survive a power cut: no waiting for the disk.
    exec(QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"));
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

QStringList CatalogueFixture::files() const
{
    return TestCatalogue::rows(m_dir.filePath(QStringLiteral("data.mdb")));
}
