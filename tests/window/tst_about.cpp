#include "platform/programlauncher.h"
#include "support/queuedboxes.h"
#include "support/testservices.h"
#include "window/about/frmabout.h"
#include "window/main/frmmain.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// Records each program it is asked to start, and starts nothing.
struct RecordingLauncher : ProgramLauncher
{
    bool start(const QString &path) override
    {
        started.append(path);
        return startable;
    }
    QStringList started;
    bool startable = true; // false: as a program that cannot be started
};

// The about box as the user sees it: texts, layout, keys, and opening it from the main window.
class TestAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QString>("text"); // the label's text after loading
        QTest::newRow("lblDescription")
            << "Use this program to archive all of your CDs! Simply put your CD in the CD-ROM, "
               "click \"Index Directory\" and enter the drive letter of your CD-ROM (ie. D:).  "
               "You can use the \"Search \" button to find files fast.  Double click an item to "
               "execute that file.You can use the backspace key on your keyboard to remove items.";
        QTest::newRow("lblTitle") << "Vellumark";
        QTest::newRow("lblVersion") << "Version 1.0.0";
    }

    // After loading: the caption and the texts filled in from the program's own details.
    void layout()
    {
        QFETCH(QString, text);
        RecordingLauncher launcher;
        frmAbout about(launcher);
        QCOMPARE(about.windowTitle(), "About Vellumark");
        QCOMPARE(about.findChild<QLabel *>(QTest::currentDataTag())->text(), text);
    }

    // System Info starts the first system-information program on PATH; none, or one that
    // cannot be started, gives the one message.
    void sysInfo_data()
    {
        QTest::addColumn<QStringList>("programs"); // executables, the one folder of PATH
        QTest::addColumn<bool>("startable");
        QTest::addColumn<QString>("outcome"); // the program started, then the box shown
        const QString unavailable = "System Information Is Unavailable At This Time | Vellumark";
        QTest::newRow("first candidate")
            << QStringList{"kinfocenter", "hardinfo"} << true << "<dir>/hardinfo";
        QTest::newRow("none") << QStringList{"msinfo32"} << true << unavailable;
        QTest::newRow("cannot be started")
            << QStringList{"cpu-x"} << false << "<dir>/cpu-x\n" + unavailable;
    }
    void sysInfo()
    {
        QFETCH(QStringList, programs);
        QFETCH(bool, startable);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        for (const QString &program : programs) // any program does: none is run
            QVERIFY(QFile::copy("/bin/true", dir.filePath(program)));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        QueuedBoxes boxes;
        if (outcome.contains("Unavailable"))
            boxes.queueAnswer(BoxAnswer::Ok);
        RecordingLauncher launcher;
        launcher.startable = startable;
        frmAbout(launcher).findChild<QPushButton *>("cmdSysInfo")->click();
        qputenv("PATH", path);
        for (const MessageBox::Shown &box : boxes.shown())
            launcher.started << box.text + " | " + box.title;
        QCOMPARE(launcher.started.join('\n'), outcome.replace("<dir>", dir.path()));
    }

    // Alt+A opens a fresh about box modally: the window gets no Alt+X meanwhile. The focus starts
    // on OK; Esc closes the first box, Enter the second through OK, the default button.
    void altAOpensItModally()
    {
        RecordingLauncher launcher;
        int ended = 0, stuckTicks = 0, focusNotOnOK = 0;
        Services services = testServices(QString(), &ended);
        services.launcher = &launcher;
        frmMain window(services);
        window.show();
        QList<QPointer<frmAbout>> opened;
        QTimer watcher; // the box runs its own event loop: act on it from a timer
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (about && opened.contains(about) && ++stuckTicks > 20)
                about->reject(); // the key did not close it: end the test instead of hanging
            if (!about || opened.contains(about))
                return;
            opened.append(about);
            QApplication::setActiveWindow(about);
            focusNotOnOK += QApplication::focusWidget() != about->findChild<QWidget *>("cmdOK");
            QTest::keyClick(window.windowHandle(), Qt::Key_X, Qt::AltModifier);
            QWidget *sysInfo = about->findChild<QWidget *>("cmdSysInfo");
            sysInfo->setFocus();
            QTest::keyClick(sysInfo, opened.size() == 1 ? Qt::Key_Escape : Qt::Key_Return);
        });
        watcher.start(10);
        for (int i = 1; i <= 2; ++i) {
            QApplication::setActiveWindow(&window);
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QTest::keyClick(window.windowHandle(), Qt::Key_A, Qt::AltModifier);
            QTRY_COMPARE(opened.size(), i);
            QTRY_VERIFY(!QApplication::activeModalWidget());
            QVERIFY(opened.last().isNull()); // unloaded on closing
        }
        QTest::qWait(200); // an access key that got through would have clicked by now
        QCOMPARE(ended, 0);
        QCOMPARE(stuckTicks, 0);
        QCOMPARE(focusNotOnOK, 0);
        QVERIFY(launcher.started.isEmpty());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
