#pragma once

#include "platform/winerror.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <cstdint>

// A read-only stand-in for the registry: keys under a root, each with named, typed values, read
// through the three Win32 calls the program uses. Texts cross these calls narrow (the locale's
// 8-bit encoding), as the ANSI forms take them; key and value names match regardless of case.
using HKEY = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// The keys the system-information launcher reads.
extern const char *const SysInfoKey;         // value "PATH": the program's full path
extern const char *const SysInfoLocationKey; // value "MSINFO": the folder that holds it

class RegistryStore
{
public:
    struct Value
    {
        DWORD type;
        QByteArray data; // stored bytes exactly; a string's terminator is part of them
    };
    using Values = QMap<QString, Value>; // by folded value name

    void setValue(HKEY root, const QString &key, const QString &name, DWORD type,
                  const QByteArray &data);
    // A REG_SZ value stored as the system stores one: narrow text with its terminator.
    void setString(HKEY root, const QString &key, const QString &name, const QString &text);

    // The values of a key, or nullptr when there is no such key.
    const Values *key(HKEY root, const QString &key) const;

    // What this system answers: when a system-information program is found, "PATH" under
    // SysInfoKey holds its full path and "MSINFO" under SysInfoLocationKey its folder; otherwise
    // neither key exists.
    static RegistryStore system();

private:
    static QString keyId(HKEY root, const QString &key);
    QMap<QString, Values> m_keys;
};

// The three calls of the registry, reading one store: a test's own, or the system's (looked up
// afresh at each open). Open keys hold a copy of their values, so a handle stays valid whatever
// happens to the store.
class Registry
{
public:
    explicit Registry(const RegistryStore *store = nullptr) : m_store(store) {}

    LONG RegOpenKeyEx(HKEY root, const char *subKey, DWORD options, DWORD samDesired, HKEY *result);
    LONG RegQueryValueEx(HKEY key, const char *valueName, DWORD *type, unsigned char *data,
                         DWORD *size);
    LONG RegCloseKey(HKEY key);

    // The number of keys opened and not yet closed.
    int openKeys() const { return int(m_open.size()); }

private:
    const RegistryStore *m_store;
    QMap<HKEY, RegistryStore::Values> m_open;
    HKEY m_nextHandle = 0x100;
};
