#include "window/about/sysinfo.h"

#include "platform/platformerror.h"
#include "platform/programlauncher.h"
#include "window/boxes/messagebox.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

namespace {

// Read rights plus query, set, create-sub-key, enumerate, notify and create-link.
constexpr DWORD KeyAccess = 0x2003F;
constexpr DWORD BufferSize = 1024;

// Closes the key however the reader leaves, the size-0 error included.
class KeyCloser
{
public:
    KeyCloser(Registry &registry, HKEY key) : m_registry(registry), m_key(key) {}
    ~KeyCloser()
    {
        if (m_key)
            m_registry.RegCloseKey(m_key);
    }
    KeyCloser(const KeyCloser &) = delete;
    KeyCloser &operator=(const KeyCloser &) = delete;

private:
    Registry &m_registry;
    HKEY m_key;
};

// The runtime's directory search by name: a plain file of exactly that name.
bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

bool GetKeyValue(Registry &registry, HKEY KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal)
{
    HKEY hKey = 0;
    if (registry.RegOpenKeyEx(KeyRoot, KeyName.toLocal8Bit().constData(), 0, KeyAccess, &hKey) !=
        ERROR_SUCCESS) {
        KeyVal = QString();
        return false;
    }
    KeyCloser closer(registry, hKey);

    QByteArray tmpVal(BufferSize, '\0');
    DWORD KeyValSize = BufferSize;
    DWORD KeyValType = REG_NONE;
    if (registry.RegQueryValueEx(hKey, SubKeyRef.toLocal8Bit().constData(), &KeyValType,
                                 reinterpret_cast<unsigned char *>(tmpVal.data()),
                                 &KeyValSize) != ERROR_SUCCESS) {
        KeyVal = QString();
        return false;
    }

    if (KeyValSize == 0)
        throw PlatformError(5, QStringLiteral("Invalid procedure call or argument"));
    tmpVal.truncate(int(KeyValSize));
    if (tmpVal.endsWith('\0'))
        tmpVal.chop(1);

    switch (KeyValType) {
    case REG_SZ:
        KeyVal = QString::fromLocal8Bit(tmpVal);
        break;
    case REG_DWORD: {
        // The bytes are the number, lowest first; a dropped top byte was a zero.
        quint32 number = 0;
        for (int i = qMin(int(tmpVal.size()), 4) - 1; i >= 0; --i)
            number = (number << 8) | quint8(tmpVal[i]);
        KeyVal = QString::number(number);
        break;
    }
    default:
        break;
    }
    return true;
}

namespace {

// False when the registry names no program; raises when the program cannot be started.
bool launchSysInfo(Registry &registry, ProgramLauncher &launcher)
{
    QString ProgramPath;
    if (!GetKeyValue(registry, HKEY_LOCAL_MACHINE, QString::fromLatin1(SysInfoKey),
                     QStringLiteral("PATH"), ProgramPath)) {
        if (!GetKeyValue(registry, HKEY_LOCAL_MACHINE, QString::fromLatin1(SysInfoLocationKey),
                         QStringLiteral("MSINFO"), ProgramPath))
            return false;
        // The folder is joined as read: one that ends in a separator gets a second one.
        const QString candidate = ProgramPath + QDir::separator() + QStringLiteral("MSINFO32.EXE");
        if (!fileExists(candidate))
            return false;
        ProgramPath = candidate;
    }
    Shell(launcher, ProgramPath, vbNormalFocus);
    return true;
}

} // namespace

void StartSysInfo(Registry &registry, ProgramLauncher &launcher)
{
    bool started = false;
    try {
        started = launchSysInfo(registry, launcher);
    } catch (const std::exception &) {
        // Every failure, the registry's and the launch's, ends in the one message below.
    }
    if (!started)
        MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), vbOKOnly);
}
