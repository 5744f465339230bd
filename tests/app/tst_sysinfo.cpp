#include "app/sysinfo.h"
#include "platform/platformerror.h"
#include "support/queueddialogs.h"
#include "support/recordinglauncher.h"

#include <QtTest>

namespace {
const QString Key = QStringLiteral("SOFTWARE\\Test\\Key");
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");

QByteArray sz(const QByteArray &text)
{
    return text + QByteArray(1, '\0');
}
QByteArray dword(quint32 v) // lowest byte first
{
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return QByteArray(bytes, 4);
}
} // namespace

// Reading registry values as text, and starting the system-information program they name.
class TestSysInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        setRegistryStore(nullptr);
        QCOMPARE(openRegistryKeys(), 0); // every key opened was closed
    }

    void getKeyValue_data()
    {
        QTest::addColumn<QString>("keyName");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("keyVal");

        const QString v = QStringLiteral("Value");
        QTest::newRow("string") << Key << v << uint(REG_SZ) << sz("/usr/bin/x y") << true
                                << QStringLiteral("/usr/bin/x y");
        QTest::newRow("names ignore case") << Key.toLower() << v.toUpper() << uint(REG_SZ)
                                           << sz("a") << true << QStringLiteral("a");
        QTest::newRow("non-ASCII text")
            << Key << v << uint(REG_SZ) << sz("Caf\xc3\xa9") << true << QStringLiteral("Caf\u00e9");
        QTest::newRow("1024 bytes with terminator read whole")
            << Key << v << uint(REG_SZ) << sz(QByteArray(1023, 'a')) << true
            << QString(1023, QLatin1Char('a'));
        QTest::newRow("1025 bytes count as absent")
            << Key << v << uint(REG_SZ) << sz(QByteArray(1024, 'a')) << false << QString();
        QTest::newRow("no terminator keeps every character")
            << Key << v << uint(REG_SZ) << QByteArray("abc") << true << QStringLiteral("abc");
        QTest::newRow("inner terminator kept up to the size")
            << Key << v << uint(REG_SZ) << QByteArray("ab\0cd", 5) << true
            << QString::fromLatin1("ab\0cd", 5);
        QTest::newRow("dword") << Key << v << uint(REG_DWORD) << dword(0x102) << true
                               << QStringLiteral("258");
        QTest::newRow("dword zero")
            << Key << v << uint(REG_DWORD) << dword(0) << true << QStringLiteral("0");
        QTest::newRow("dword top bit") << Key << v << uint(REG_DWORD) << dword(0xFF000001u) << true
                                       << QStringLiteral("4278190081");
        QTest::newRow("other type leaves the text")
            << Key << v << uint(REG_BINARY) << QByteArray("\x01\x02") << true
            << QStringLiteral("as passed");
        QTest::newRow("missing value")
            << Key << QStringLiteral("Other") << uint(REG_SZ) << sz("a") << false << QString();
        QTest::newRow("missing key") << QStringLiteral("SOFTWARE\\Other") << v << uint(REG_SZ)
                                     << sz("a") << false << QString();
    }

    void getKeyValue()
    {
        QFETCH(QString, keyName);
        QFETCH(QString, valueName);
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        RegistryStore store;
        store.setValue(HKEY_LOCAL_MACHINE, Key, QStringLiteral("Value"), type, data);
        setRegistryStore(&store);

        QString keyVal = QStringLiteral("as passed");
        QTEST(GetKeyValue(HKEY_LOCAL_MACHINE, keyName, valueName, keyVal), "result");
        QTEST(keyVal, "keyVal");
    }

    void valueWithNoDataRaises()
    {
        RegistryStore store;
        store.setValue(HKEY_LOCAL_MACHINE, Key, QStringLiteral("Empty"), REG_SZ, QByteArray());
        setRegistryStore(&store);
        QString keyVal;
        try {
            GetKeyValue(HKEY_LOCAL_MACHINE, Key, QStringLiteral("Empty"), keyVal);
            QFAIL("no error raised");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), 5);
        }
    }

    void startSysInfo_data()
    {
        // "<dir>" stands for a folder the test makes; "-" for a value that is not there.
        QTest::addColumn<QString>("pathValue");
        QTest::addColumn<uint>("pathType");
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("programInFolder");
        QTest::addColumn<bool>("realLauncher");
        QTest::addColumn<QString>("launched");

        const uint s = REG_SZ;
        QTest::newRow("PATH launched as read, location unused")
            << "/opt/no such/sysinfo" << s << "<dir>" << true << false << "/opt/no such/sysinfo";
        QTest::newRow("location holding the program")
            << "-" << s << "<dir>" << true << false << "<dir>/MSINFO32.EXE";
        QTest::newRow("location ending in a separator")
            << "-" << s << "<dir>/" << true << false << "<dir>//MSINFO32.EXE";
        QTest::newRow("location without the program")
            << "-" << s << "<dir>" << false << false << "";
        QTest::newRow("neither value") << "-" << s << "-" << false << false << "";
        QTest::newRow("PATH of another type")
            << "x" << uint(REG_BINARY) << "<dir>" << true << false << "";
        QTest::newRow("PATH with no data") << "" << s << "<dir>" << true << false << "";
        QTest::newRow("PATH that cannot be started")
            << "/nonexistent/sysinfo" << s << "-" << false << true << "";
    }

    void startSysInfo()
    {
        QFETCH(QString, pathValue);
        QFETCH(uint, pathType);
        QFETCH(QString, location);
        QFETCH(bool, programInFolder);
        QFETCH(bool, realLauncher);
        QFETCH(QString, launched);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (programInFolder) {
            QFile program(dir.filePath(QStringLiteral("MSINFO32.EXE")));
            QVERIFY(program.open(QIODevice::WriteOnly));
        }
        RegistryStore store;
        if (pathValue != QLatin1String("-"))
            store.setValue(HKEY_LOCAL_MACHINE, QString::fromLatin1(SysInfoKey),
                           QStringLiteral("PATH"), pathType,
                           pathValue.isEmpty() ? QByteArray() : sz(pathValue.toLocal8Bit()));
        if (location != QLatin1String("-"))
            store.setString(HKEY_LOCAL_MACHINE, QString::fromLatin1(SysInfoLocationKey),
                            QStringLiteral("MSINFO"),
                            location.replace(QLatin1String("<dir>"), dir.path()));
        setRegistryStore(&store);

        QueuedDialogs boxes;
        RecordingLauncher recorder;
        if (realLauncher)
            setProgramLauncher(nullptr);
        StartSysInfo();

        if (launched.isEmpty()) {
            QVERIFY(recorder.started.isEmpty());
            QCOMPARE(boxes.messages().size(), 1);
            QCOMPARE(boxes.messages()[0].text, Unavailable);
            QCOMPARE(boxes.messages()[0].flags, int(vbOKOnly));
            QCOMPARE(boxes.messages()[0].title, QStringLiteral("Vellumark"));
        } else {
            QCOMPARE(recorder.started,
                     QStringList{launched.replace(QLatin1String("<dir>"), dir.path())});
            QCOMPARE(recorder.styles, QList<int>{vbNormalFocus});
            QVERIFY(boxes.shown.isEmpty());
        }
    }

    // On this system the keys name the first system-information program found on PATH.
    void systemStore_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("found");
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("hardinfo") << QStringList{"hardinfo"} << "hardinfo";
        QTest::newRow("hardinfo2 preferred")
            << QStringList{"hardinfo", "hardinfo2", "kinfocenter"} << "hardinfo2";
        QTest::newRow("not executable") << QStringList{"!hardinfo"} << QString();
    }

    void systemStore()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, found);
        QTemporaryDir dir;
        for (QString name : programs) {
            const bool executable = !name.startsWith(QLatin1Char('!'));
            QFile file(dir.filePath(name.remove(QLatin1Char('!'))));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            if (executable)
                file.setPermissions(file.permissions() | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", dir.path().toLocal8Bit());
        QString path = QStringLiteral("x"), folder = QStringLiteral("x");
        const bool hasPath =
            GetKeyValue(HKEY_LOCAL_MACHINE, QString::fromLatin1(SysInfoKey), "PATH", path);
        const bool hasFolder = GetKeyValue(
            HKEY_LOCAL_MACHINE, QString::fromLatin1(SysInfoLocationKey), "MSINFO", folder);
        qputenv("PATH", oldPath);

        QCOMPARE(hasPath, !found.isEmpty());
        QCOMPARE(hasFolder, !found.isEmpty());
        QCOMPARE(path, found.isEmpty() ? QString() : dir.filePath(found));
        QCOMPARE(folder, found.isEmpty() ? QString() : dir.path());
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
