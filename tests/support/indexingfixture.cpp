#include "support/indexingfixture.h"

#include "platform/app.h"
#include "support/testcatalogue.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

bool FixedVolumeQuery::GetVolumeInformation(const QString &rootPath, QString &label,
                                            quint32 &serial)
{
    asked.append(rootPath);
    if (!answers)
        return false;
    label = QStringLiteral("DATA1");
    serial = 0x12345678;
    return true;
}

IndexingFixture::IndexingFixture()
{
    TestCatalogue::create(m_catalogue.path());
    App::setPathForTesting(m_catalogue.path());
    workspace.Form_Load();
    pointer.shapes.clear();
}

QString IndexingFixture::makeFile(const QString &relative, qint64 size)
{
    const QString path = tree() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        qFatal("cannot make %s", qPrintable(path));
    return path;
}

bool IndexingFixture::exec(const QString &sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(workspace.cnCatalogue.handle(), sql.toUtf8().constData(), nullptr,
                                nullptr, &error);
    if (rc != SQLITE_OK)
        qWarning("%s", error);
    sqlite3_free(error);
    return rc == SQLITE_OK;
}

QStringList IndexingFixture::rows(const QString &columns)
{
    return TestCatalogue::rows(m_catalogue.filePath(QStringLiteral("data.mdb")), columns);
}
