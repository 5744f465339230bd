#include "app/sysinfo.h"
#include "platform/platformerror.h"
#include "support/queueddialogs.h"
#include "support/recordinglauncher.h"

#include <QtTest>

namespace {
const QString Key = QStringLiteral("SOFTWARE\\Test\\Key");
const QString Value = QStringLiteral("Value");
QByteArray sz(const QByteArray &text)
{
    return text + QByteArray(1, '\0');
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
        QTest::newRow("string") << Key << Value << uint(REG_SZ) << sz("/usr/bin/x y") << true
                                << "/usr/bin/x y";
        QTest::newRow("1024 bytes read whole")
            << Key << Value << uint(REG_SZ) << sz(QByteArray(1023, 'a')) << true
            << QString(1023, QLatin1Char('a'));
        QTest::newRow("1025 bytes absent")
            << Key << Value << uint(REG_SZ) << sz(QByteArray(1024, 'a')) << false << "";
        QTest::newRow("no terminator")
            << Key << Value << uint(REG_SZ) << QByteArray("abc") << true << "abc";
        QTest::newRow("dword") << Key << Value << uint(REG_DWORD)
                               << QByteArray("\x02\x01\x00\xff", 4) << true << "4278190338";
        QTest::newRow("other type")
            << Key << Value << uint(REG_BINARY) << QByteArray("\x01") << true << "as passed";
        QTest::newRow("missing value") << Key << "Other" << uint(REG_SZ) << sz("a") << false << "";
        QTest::newRow("missing key")
            << "SOFTWARE\\Other" << Value << uint(REG_SZ) << sz("a") << false << "";
    }

    void getKeyValue()
    {
        QFETCH(QString, keyName);
        QFETCH(QString, valueName);
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        RegistryStore store;
        store.setValue(HKEY_LOCAL_MACHINE, Key, Value, type, data);
        setRegistryStore(&store);
        QString keyVal = QStringLiteral("as passed");
        QTEST(GetKeyValue(HKEY_LOCAL_MACHINE, keyName, valueName, keyVal), "result");
        QTEST(keyVal, "keyVal");
    }

    void valueWithNoDataRaises()
    {
        RegistryStore store;
        store.setValue(HKEY_LOCAL_MACHINE, Key, Value, REG_SZ, QByteArray());
        setRegistryStore(&store);
        QString keyVal;
        QVERIFY_THROWS_EXCEPTION(PlatformError,
                                 GetKeyValue(HKEY_LOCAL_MACHINE, Key, Value, keyVal));
    }

    void startSysInfo_data()
    {
        // "<dir>" is a folder the test makes; "-" a value that is not there; "" a value with
        // no data. An empty launch means the message and nothing started.
        QTest::addColumn<QString>("pathValue");
        QTest::addColumn<uint>("pathType");
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("programInFolder");
        QTest::addColumn<QString>("launched");
        const uint s = REG_SZ;
        QTest::newRow("PATH as read, location unused")
            << "/opt/no such/info" << s << "<dir>" << true << "/opt/no such/info";
        QTest::newRow("location") << "-" << s << "<dir>" << true << "<dir>/MSINFO32.EXE";
        QTest::newRow("location ending in /")
            << "-" << s << "<dir>/" << true << "<dir>//MSINFO32.EXE";
        QTest::newRow("program not in location") << "-" << s << "<dir>" << false << "";
        QTest::newRow("neither value") << "-" << s << "-" << false << "";
        QTest::newRow("PATH of another type") << "x" << uint(REG_BINARY) << "<dir>" << true << "";
        QTest::newRow("PATH with no data") << "" << s << "<dir>" << true << "";
        QTest::newRow("cannot be started") << "/nonexistent/info" << s << "-" << false << "";
    }

    void startSysInfo()
    {
        QFETCH(QString, pathValue);
        QFETCH(uint, pathType);
        QFETCH(QString, location);
        QFETCH(bool, programInFolder);
        QFETCH(QString, launched);
        QTemporaryDir dir;
        if (programInFolder)
            QVERIFY(QFile(dir.filePath("MSINFO32.EXE")).open(QIODevice::WriteOnly));
        RegistryStore store;
        if (pathValue != "-")
            store.setValue(HKEY_LOCAL_MACHINE, SysInfoKey, "PATH", pathType,
                           pathValue.isEmpty() ? QByteArray() : sz(pathValue.toLocal8Bit()));
        if (location != "-")
            store.setString(HKEY_LOCAL_MACHINE, SysInfoLocationKey, "MSINFO",
                            location.replace("<dir>", dir.path()));
        setRegistryStore(&store);
        QueuedDialogs boxes;
        // The real launcher where the program cannot be started, a recorder everywhere else.
        RecordingLauncher recorder;
        if (QTest::currentDataTag() == QLatin1String("cannot be started"))
            setProgramLauncher(nullptr);

        StartSysInfo();
        if (launched.isEmpty()) {
            QVERIFY(recorder.started.isEmpty());
            QCOMPARE(boxes.messages().size(), 1);
            QCOMPARE(boxes.messages()[0].text, "System Information Is Unavailable At This Time");
            QCOMPARE(boxes.messages()[0].flags, int(vbOKOnly));
            QCOMPARE(boxes.messages()[0].title, "Vellumark");
        } else {
            QCOMPARE(recorder.started, QStringList{launched.replace("<dir>", dir.path())});
            QCOMPARE(recorder.styles, QList<int>{vbNormalFocus});
            QVERIFY(boxes.shown.isEmpty());
        }
    }

    // On this system the keys name the first system-information program found on PATH.
    void systemKeys()
    {
        QTemporaryDir dir;
        for (const char *name : {"hardinfo", "hardinfo2", "lshw-gtk"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
        }
        const QByteArray oldPath = qgetenv("PATH");
        QString path, folder, none = QStringLiteral("x");
        qputenv("PATH", dir.path().toLocal8Bit());
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoKey, "PATH", path));
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoLocationKey, "MSINFO", folder));
        qputenv("PATH", "/nonexistent");
        QVERIFY(!GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoKey, "PATH", none));
        qputenv("PATH", oldPath);
        QCOMPARE(path, dir.filePath("hardinfo2"));
        QCOMPARE(folder, dir.path());
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
