#include "platform/gioshell.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gio/gio.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Only an ELF image is a program, as only an .exe is one on Windows: scripts, and every file of
// a disc that marks all its files executable, are documents.
bool isElf(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("\x7f"
                                                                               "ELF");
}

QByteArray folderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    if (slash == 0)
        return QByteArray("/");
    return path.left(slash);
}

} // namespace

ShellExecutor &systemShell()
{
    static GioShell shell;
    return shell;
}

int GioShell::ShellExecute(const QString &operation, const QString &file, const QString &parameters,
                           const QString &directory, int showCommand)
{
    Q_UNUSED(showCommand);
    if (!operation.isEmpty() && operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    if (file.isEmpty())
        return ERROR_FILE_NOT_FOUND;

    QString path = file;
    if (QDir::isRelativePath(path))
        path = QDir(directory.isEmpty() ? QDir::currentPath() : directory).filePath(path);
    const QByteArray native = QFile::encodeName(path);

    struct stat st;
    const QByteArray folder = folderOf(native);
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    if (::stat(native.constData(), &st) != 0)
        return ERROR_FILE_NOT_FOUND;

    // Files on many discs carry the execute bit whatever they hold: a script is opened like any
    // document (shown, not run), and only a real program with the bit is started.
    if (S_ISREG(st.st_mode) && ::access(native.constData(), X_OK) == 0 && isElf(native))
        return runProgram(path, parameters, directory);
    return openDocument(path);
}

int GioShell::runProgram(const QString &path, const QString &parameters, const QString &directory)
{
    // Started detached: the program outlives the request and is never waited for.
    if (!QProcess::startDetached(path, QProcess::splitCommand(parameters), directory))
        return ERROR_BAD_FORMAT;
    return ShellExecuteSucceeded;
}

int GioShell::openDocument(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    GFile *file = g_file_new_for_path(native.constData());
    GError *error = nullptr;
    GFileInfo *info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, &error);
    if (!info) {
        const bool missing = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND);
        g_error_free(error);
        g_object_unref(file);
        return missing ? ERROR_FILE_NOT_FOUND : 0;
    }

    int result = 0;
    const char *contentType = g_file_info_get_content_type(info);
    GAppInfo *app = contentType ? g_app_info_get_default_for_type(contentType, FALSE) : nullptr;
    if (!app) {
        result = SE_ERR_NOASSOC;
    } else {
        GList files = {file, nullptr, nullptr};
        if (g_app_info_launch(app, &files, nullptr, &error)) {
            result = ShellExecuteSucceeded;
        } else {
            g_error_free(error); // a failure the system does not name: not reported
            result = 0;
        }
        g_object_unref(app);
    }
    g_object_unref(info);
    g_object_unref(file);
    return result;
}
