#include "support/queuedboxes.h"
#include "support/recordinglauncher.h"
#include "window/about/sysinfo.h"

#include <QtTest>

const QString Unavailable =
    QStringLiteral("System Information Is Unavailable At This Time | Vellumark | OK");

// Finding the system-information program on PATH, and starting it.
class TestSysInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startSysInfo_data()
    {
        QTest::addColumn<QStringList>(
            "programs"); // in the one folder of PATH; "!": without the execute bit
        QTest::addColumn<bool>("startable");
        QTest::addColumn<QString>("outcome"); // the program started, then the box shown
        QTest::newRow("first candidate")
            << QStringList{"kinfocenter", "hardinfo"} << true << "<dir>/hardinfo";
        QTest::newRow("none") << QStringList{"msinfo32"} << true << Unavailable;
        QTest::newRow("not executable") << QStringList{"hardinfo!"} << true << Unavailable;
        QTest::newRow("cannot be started")
            << QStringList{"cpu-x"} << false << "<dir>/cpu-x\n" + Unavailable;
    }

    void startSysInfo()
    {
        QFETCH(QStringList, programs);
        QFETCH(bool, startable);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        for (const QString &program : programs) {
            QFile file(dir.filePath(program.endsWith("!") ? program.chopped(1) : program));
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (!program.endsWith("!"))
                file.setPermissions(file.permissions() | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        QueuedBoxes boxes;
        if (outcome.contains(Unavailable))
            boxes.queueAnswer(BoxAnswer::Ok);
        RecordingLauncher launcher;
        launcher.startable = startable;
        StartSysInfo(launcher);
        qputenv("PATH", path);
        QStringList happened = launcher.started;
        for (const MessageBox::Shown &box : boxes.shown())
            happened << QStringLiteral("%1 | %2 | %3").arg(box.text, box.title, look(box));
        QCOMPARE(happened.join('\n'), outcome.replace("<dir>", dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
