#include "support/indexingfixture.h"

#include "support/testcatalogue.h"

#include <QDir>
#include <QThread>

#include <sqlite3.h>

bool FixedVolumeQuery::GetVolumeInformation(const QString &, QString &label, quint32 &serial)
{
    label = QStringLiteral("DATA1"); // to be ignored when the query fails
    serial = 0x12345678;
    return answers;
}

FileMetadata SlowMetadata::read(const QByteArray &path)
{
    QThread::msleep(1);
    return systemFileMetadataReader().read(path);
}

IndexingFixture::IndexingFixture()
{
    TestCatalogue::create(m_catalogue.path());
    loaded.Form_Load(m_catalogue.path());
}

QString IndexingFixture::makeFile(const QString &relative, qint64 size)
{
    QFile file(tree() + QLatin1Char('/') + relative);
    QDir(tree()).mkpath(QFileInfo(relative).path());
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        qFatal("cannot make %s", qPrintable(file.fileName()));
    return file.fileName();
}

bool IndexingFixture::exec(const QString &sql)
{
    sqlite3 *db = loaded.catalogue.cnCatalogue().handle();
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == 0;
    if (!ok)
        qWarning("%s", sqlite3_errmsg(db));
    return ok;
}

QStringList IndexingFixture::rows(const QString &columns)
{
    return TestCatalogue::rows(m_catalogue.filePath(QStringLiteral("data.mdb")), columns);
}
