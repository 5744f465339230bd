#include "app/frmabout.h"
#include "app/guiicon.h"
#include "support/recordinglauncher.h"
#include "window/frmmain.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The about box as the user sees it: texts, layout, keys, and opening it from the main window.
class TestAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textsAfterLoad()
    {
        frmAbout about;
        QCOMPARE(about.windowTitle(), "About Vellumark");
        QCOMPARE(about.findChild<QLabel *>("lblTitle")->text(), "Vellumark");
        QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), "Version 1.0.0");
        QCOMPARE(about.findChild<QLabel *>("lblDescription")->text(),
                 "Use this program to archive all of your CDs! Simply put your CD in the CD-ROM, "
                 "click \"Index Directory\" and enter the drive letter of your CD-ROM (ie. D:).  "
                 "You can use the \"Search \" button to find files fast.  Double click an item to "
                 "execute that file.You can use the backspace key on your keyboard to remove "
                 "items.");
    }

    void geometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("cmdOK") << "cmdOK" << QRect(4245, 2625, 1260, 345);
        QTest::newRow("picIcon") << "picIcon" << QRect(240, 240, 480, 480);
        QTest::newRow("cmdSysInfo") << "cmdSysInfo" << QRect(4260, 3075, 1245, 345);
        QTest::newRow("lblDescription") << "lblDescription" << QRect(1050, 1125, 3885, 1170);
        QTest::newRow("lblDisclaimer") << "lblDisclaimer" << QRect(255, 2625, 3870, 825);
        QTest::newRow("lblTitle") << "lblTitle" << QRect(1050, 240, 3885, 480);
        QTest::newRow("lblVersion") << "lblVersion" << QRect(1050, 780, 3885, 225);
    }

    // Each control where it belongs, and every text shown whole.
    void geometry()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        frmAbout about;
        QCOMPARE(about.minimumSize(), QSize(382, 237)); // 5730 x 3555 twips, fixed
        QCOMPARE(about.maximumSize(), QSize(382, 237));
        QWidget *control = about.findChild<QWidget *>(name);
        QCOMPARE(control->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        auto *label = qobject_cast<QLabel *>(control);
        if (label && label->pixmap().isNull())
            QVERIFY(label->heightForWidth(label->width()) <= label->height() &&
                    (label->wordWrap() || label->sizeHint().width() <= label->width()));
    }

    void artworkAndSeparator()
    {
        for (int s : {16, 32, 48, 256})
            QVERIFY(applicationIcon().availableSizes().contains(QSize(s, s)));
        QCOMPARE(QImage(":/artwork/splash.jpg").size(), QSize(400, 250)); // the splash's picture
        frmAbout about;
        QCOMPARE(about.findChild<QLabel *>("picIcon")->pixmap().size(), QSize(32, 32));
        const QImage shot = about.grab().toImage();
        QCOMPARE(shot.pixelColor(6, 163), QColor(128, 128, 128));
        QCOMPARE(shot.pixelColor(375, 164), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(7, 165), QColor(Qt::white));
        QVERIFY(shot.pixelColor(376, 163) != QColor(128, 128, 128));
    }

    void keysClose_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << "cmdOK" << int(Qt::Key_Return);
        QTest::newRow("Enter on System Info") << "cmdSysInfo" << int(Qt::Key_Return);
        QTest::newRow("Esc on System Info") << "cmdSysInfo" << int(Qt::Key_Escape);
    }

    void keysClose()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        RecordingLauncher launcher;
        frmAbout about;
        about.show();
        QApplication::setActiveWindow(&about);
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(QApplication::focusWidget(), about.findChild<QWidget *>("cmdOK"));
        QWidget *target = about.findChild<QWidget *>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!about.isVisible());
        QVERIFY(launcher.started.isEmpty());
    }

    // Alt+A in the main window opens a fresh about box modally, centred over the window, which
    // gets no input (Alt+X does not end the program) until the box is closed.
    void altAOpensItModally()
    {
        frmMain window;
        int ended = 0;
        window.setEndProcess([&] { ++ended; });
        window.show();
        QList<QPointer<frmAbout>> opened;
        QList<QPoint> offsets;
        int stuckTicks = 0;
        QTimer watcher; // the box runs its own event loop: act on it from a timer
        watcher.setInterval(10);
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (about && opened.contains(about) && ++stuckTicks > 20)
                about->reject(); // Esc did not close it: end the test instead of hanging
            if (!about || opened.contains(about))
                return;
            opened.append(about);
            offsets.append(about->frameGeometry().center() - window.frameGeometry().center());
            QTest::keyClick(window.windowHandle(), Qt::Key_X, Qt::AltModifier);
            QTest::keyClick(about->windowHandle(), Qt::Key_Escape);
        });
        watcher.start();
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
        for (const QPoint &offset : offsets)
            QVERIFY(offset.manhattanLength() <= 2);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
