#include "support/indexingfixture.h"

#include "platform/app.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "support/testcatalogue.h"

#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

bool FixedVolumeQuery::GetVolumeInformation(const QString &rootPath, QString &answer,
                                            quint32 &number)
{
    asked.append(rootPath);
    if (!answers)
        return false;
    answer = label;
    number = serial;
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
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0)
        qFatal("cannot make %s", qPrintable(path));
    ::close(fd);
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
