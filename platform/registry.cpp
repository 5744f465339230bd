#include "platform/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

const char *const SysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char *const SysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

namespace {

bool isPredefinedRoot(HKEY root)
{
    return root >= 0x80000000u && root <= 0x80000006u;
}

QString folded(const QString &name)
{
    return name.toCaseFolded();
}

// The full path of the first system-information program found on PATH, or "" when none is.
QString systemInformationProgram()
{
    // Programs that show what the system is made of, the nearest to a system-information tool.
    static const char *const candidates[] = {"hardinfo2", "hardinfo", "kinfocenter", "cpu-x",
                                             "lshw-gtk"};
    for (const char *name : candidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return QFileInfo(path).absoluteFilePath();
    }
    return QString();
}

} // namespace

QString RegistryStore::keyId(HKEY root, const QString &key)
{
    return QString::number(root, 16) + QLatin1Char('\\') + folded(key);
}

void RegistryStore::setValue(HKEY root, const QString &key, const QString &name, DWORD type,
                             const QByteArray &data)
{
    m_keys[keyId(root, key)].insert(folded(name), Value{type, data});
}

void RegistryStore::setString(HKEY root, const QString &key, const QString &name,
                              const QString &text)
{
    QByteArray data = text.toLocal8Bit();
    data.append('\0');
    setValue(root, key, name, REG_SZ, data);
}

const RegistryStore::Values *RegistryStore::key(HKEY root, const QString &key) const
{
    const auto it = m_keys.constFind(keyId(root, key));
    return it == m_keys.constEnd() ? nullptr : &it.value();
}

RegistryStore RegistryStore::system()
{
    RegistryStore store;
    const QString program = systemInformationProgram();
    if (!program.isEmpty()) {
        const QString sysInfo = QString::fromLatin1(SysInfoKey);
        const QString location = QString::fromLatin1(SysInfoLocationKey);
        store.setString(HKEY_LOCAL_MACHINE, sysInfo, QStringLiteral("PATH"), program);
        store.setString(HKEY_LOCAL_MACHINE, location, QStringLiteral("MSINFO"),
                        QDir::toNativeSeparators(QFileInfo(program).absolutePath()));
    }
    return store;
}

LONG Registry::RegOpenKeyEx(HKEY root, const char *subKey, DWORD options, DWORD samDesired,
                            HKEY *result)
{
    // The store offers no writing, so the rights asked for do not matter.
    Q_UNUSED(options);
    Q_UNUSED(samDesired);
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (!isPredefinedRoot(root))
        return ERROR_INVALID_HANDLE;

    const RegistryStore systemStore = m_store ? RegistryStore() : RegistryStore::system();
    const RegistryStore &store = m_store ? *m_store : systemStore;
    const RegistryStore::Values *values =
        store.key(root, subKey ? QString::fromLocal8Bit(subKey) : QString());
    if (!values)
        return ERROR_FILE_NOT_FOUND;
    const HKEY handle = m_nextHandle;
    m_nextHandle += 4;
    m_open.insert(handle, *values);
    *result = handle;
    return ERROR_SUCCESS;
}

LONG Registry::RegQueryValueEx(HKEY key, const char *valueName, DWORD *type, unsigned char *data,
                               DWORD *size)
{
    const auto open = m_open.constFind(key);
    if (open == m_open.constEnd())
        return ERROR_INVALID_HANDLE;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    const QString name = folded(valueName ? QString::fromLocal8Bit(valueName) : QString());
    const auto value = open.value().constFind(name);
    if (value == open.value().constEnd())
        return ERROR_FILE_NOT_FOUND;

    if (type)
        *type = value->type;
    const DWORD stored = DWORD(value->data.size());
    if (!data) {
        if (size)
            *size = stored;
        return ERROR_SUCCESS;
    }
    if (*size < stored) {
        *size = stored;
        return ERROR_MORE_DATA;
    }
    if (stored)
        std::memcpy(data, value->data.constData(), stored);
    *size = stored;
    return ERROR_SUCCESS;
}

LONG Registry::RegCloseKey(HKEY key)
{
    return m_open.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
