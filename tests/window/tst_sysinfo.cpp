#include "platform/platformerror.h"
#include "support/queuedboxes.h"
#include "support/recordinglauncher.h"
#include "window/about/sysinfo.h"

#include <QtTest>

const QString Key = QStringLiteral("SOFTWARE\\Test\\Key");
const QString Unavailable =
    QStringLiteral("System Information Is Unavailable At This Time | Vellumark | %1").arg(vbOKOnly);

// Reading registry values as text, and starting the system-information program they name.
class TestSysInfo : public QObject
{
    Q_OBJECT
    RegistryStore store; // what the calls read
    Registry registry{&store};
    static QByteArray sz(const QByteArray &text) { return text + '\0'; }

private Q_SLOTS:
    void init() { store = RegistryStore(); }
    void cleanup() { QCOMPARE(registry.openKeys(), 0); } // every key opened was closed

    // The value is stored as "Value" under Key; one stored with no data raises.
    void getKeyValue_data()
    {
        QTest::addColumn<QStringList>("read"); // key and value name
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("keyVal"); // "" where the call answers false
        const auto row = [](const char *tag, uint type, const QByteArray &data,
                            const QString &keyVal, const QStringList &read = {Key, "Value"}) {
            QTest::newRow(tag) << read << type << data << keyVal;
        };
        row("string", REG_SZ, sz("/usr/bin/x y"), "/usr/bin/x y");
        row("1024 bytes read whole", REG_SZ, sz(QByteArray(1023, 'a')), QString(1023, 'a'));
        row("1025 bytes absent", REG_SZ, sz(QByteArray(1024, 'a')), "");
        row("dword", REG_DWORD, QByteArray("\x02\x01\x00\xff", 4), "4278190338");
        row("other type", REG_BINARY, "\x01", "as passed");
        row("missing value", REG_SZ, sz("a"), "", {Key, "Other"});
        row("no data raises", REG_SZ, QByteArray(), "");
    }

    void getKeyValue()
    {
        QFETCH(QStringList, read);
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        QFETCH(QString, keyVal);
        store.setValue(HKEY_LOCAL_MACHINE, Key, "Value", type, data);
        QString got = QStringLiteral("as passed");
        if (data.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(
                PlatformError, GetKeyValue(registry, HKEY_LOCAL_MACHINE, read[0], read[1], got));
            return;
        }
        QCOMPARE(GetKeyValue(registry, HKEY_LOCAL_MACHINE, read[0], read[1], got),
                 !keyVal.isEmpty());
        QCOMPARE(got, keyVal);
    }

    void startSysInfo_data()
    {
        // "<dir>" is a folder holding MSINFO32.EXE; "-" a value that is not there.
        QTest::addColumn<QString>("pathValue");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("outcome"); // the program started or the box shown
        const auto row = [](const char *tag, const QString &path, const QString &location,
                            const QString &outcome) {
            QTest::newRow(tag) << path << location << outcome;
        };
        row("PATH as read, location unused", "/opt/no such/info", "<dir>", "/opt/no such/info");
        row("location", "-", "<dir>", "<dir>/MSINFO32.EXE");
        row("location ending in /", "-", "<dir>/", "<dir>//MSINFO32.EXE");
        row("neither value", "-", "-", Unavailable);
        row("cannot be started", "/nonexistent/info", "-", Unavailable);
    }

    void startSysInfo()
    {
        QFETCH(QString, pathValue);
        QFETCH(QString, location);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath("MSINFO32.EXE")).open(QIODevice::WriteOnly));
        if (pathValue != "-")
            store.setString(HKEY_LOCAL_MACHINE, SysInfoKey, "PATH", pathValue);
        if (location != "-")
            store.setString(HKEY_LOCAL_MACHINE, SysInfoLocationKey, "MSINFO",
                            location.replace("<dir>", dir.path()));
        QueuedBoxes boxes;
        if (outcome == Unavailable)
            boxes.queueAnswer(vbOK);
        // The real launcher where the program cannot be started, a recorder everywhere else.
        RecordingLauncher recorder;
        DetachedLauncher real;
        const bool cannot = QTest::currentDataTag() == QLatin1String("cannot be started");
        StartSysInfo(registry, cannot ? static_cast<ProgramLauncher &>(real) : recorder);
        QStringList happened = recorder.started;
        for (const MessageBox::Shown &box : boxes.shown())
            happened << QStringLiteral("%1 | %2 | %3").arg(box.text, box.title).arg(box.flags);
        QCOMPARE(happened, QStringList{outcome.replace("<dir>", dir.path())});
        QCOMPARE(recorder.styles, QList<int>(recorder.started.size(), vbNormalFocus));
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
