#include "app/frmabout.h"
#include "app/guiicon.h"
#include "platform/registry.h"
#include "support/queueddialogs.h"
#include "support/recordinglauncher.h"
#include "window/frmmain.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}
} // namespace

// The about box as the user sees it: texts, layout, keys and the System Info button.
class TestAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textsAfterLoad()
    {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Vellumark"));
        QCOMPARE(about.findChild<QLabel *>("lblTitle")->text(), QStringLiteral("Vellumark"));
        QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
        QCOMPARE(about.findChild<QLabel *>("lblDescription")->text(),
                 QStringLiteral("Use this program to archive all of your CDs! Simply put your CD "
                                "in the CD-ROM, click \"Index Directory\" and enter the drive "
                                "letter of your CD-ROM (ie. D:).  You can use the \"Search \" "
                                "button to find files fast.  Double click an item to execute that "
                                "file.You can use the backspace key on your keyboard to remove "
                                "items."));
        QCOMPARE(about.findChild<QPushButton *>("cmdSysInfo")->text(),
                 QStringLiteral("&System Info..."));
        QVERIFY(!about.findChild<QLabel *>("lblDisclaimer")->text().isEmpty());
    }

    void geometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("cmdOK") << "cmdOK" << twips(4245, 2625, 1260, 345);
        QTest::newRow("picIcon") << "picIcon" << twips(240, 240, 480, 480);
        QTest::newRow("cmdSysInfo") << "cmdSysInfo" << twips(4260, 3075, 1245, 345);
        QTest::newRow("lblDescription") << "lblDescription" << twips(1050, 1125, 3885, 1170);
        QTest::newRow("lblDisclaimer") << "lblDisclaimer" << twips(255, 2625, 3870, 825);
        QTest::newRow("lblTitle") << "lblTitle" << twips(1050, 240, 3885, 480);
        QTest::newRow("lblVersion") << "lblVersion" << twips(1050, 780, 3885, 225);
    }

    void geometry()
    {
        QFETCH(QString, name);
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.size(), QSize(382, 237)); // 5730 x 3555 twips
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QVERIFY(
            !(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QWidget *control = about.findChild<QWidget *>(name);
        QVERIFY(control);
        QTEST(control->geometry(), "rect");
        // Every text is shown whole inside its label.
        if (auto *label = qobject_cast<QLabel *>(control); label && label->pixmap().isNull()) {
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                     qPrintable(QString::number(label->heightForWidth(label->width()))));
            QVERIFY(label->wordWrap() || label->sizeHint().width() <= label->width());
        }
    }

    void iconAndSeparator()
    {
        frmAbout about;
        const QList<QSize> sizes = applicationIcon().availableSizes();
        for (int s : {16, 32, 48, 256})
            QVERIFY(sizes.contains(QSize(s, s)));
        QCOMPARE(about.findChild<QLabel *>("picIcon")->pixmap().size(), QSize(32, 32));

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QImage shot = about.grab().toImage();
        QCOMPARE(shot.pixelColor(6, 163), QColor(128, 128, 128));
        QCOMPARE(shot.pixelColor(375, 163), QColor(128, 128, 128));
        QCOMPARE(shot.pixelColor(7, 164), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(200, 165), QColor(Qt::white));
        QVERIFY(shot.pixelColor(200, 162) != QColor(128, 128, 128));
        QVERIFY(shot.pixelColor(376, 164) != QColor(Qt::white));
    }

    void focusStartsOnOkThenSystemInfo()
    {
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QApplication::setActiveWindow(&about);
        QTRY_COMPARE(QApplication::focusWidget(), about.findChild<QWidget *>("cmdOK"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.findChild<QWidget *>("cmdSysInfo"));
    }

    void keysClose_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return);
        QTest::newRow("Enter on System Info") << "cmdSysInfo" << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << "cmdOK" << int(Qt::Key_Enter);
        QTest::newRow("Esc on OK") << "cmdOK" << int(Qt::Key_Escape);
        QTest::newRow("Esc on System Info") << "cmdSysInfo" << int(Qt::Key_Escape);
    }

    void keysClose()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        RecordingLauncher launcher;
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QWidget *target = about.findChild<QWidget *>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!about.isVisible());
        QVERIFY(launcher.started.isEmpty());
    }

    void centredOverItsParent()
    {
        QWidget owner;
        owner.setGeometry(100, 80, 800, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        frmAbout about(&owner);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QPoint offset = about.frameGeometry().center() - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QString::number(offset.x())));
    }

    void systemInfoUnavailableKeepsTheBoxOpen()
    {
        RegistryStore empty;
        setRegistryStore(&empty);
        QueuedDialogs boxes;
        RecordingLauncher launcher;
        frmAbout about;
        about.show();
        QTest::mouseClick(about.findChild<QWidget *>("cmdSysInfo"), Qt::LeftButton);
        setRegistryStore(nullptr);
        QCOMPARE(boxes.messages().size(), 1);
        QCOMPARE(boxes.messages()[0].text,
                 QStringLiteral("System Information Is Unavailable At This Time"));
        QVERIFY(about.isVisible());
    }

    // Alt+A in the main window opens a fresh about box modally: the main window gets no input
    // (Alt+X does not end the program) until the box is closed.
    void altAOpensItModallyFromTheMainWindow()
    {
        frmMain window;
        int ended = 0;
        window.setEndProcess([&] { ++ended; });
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // The button clicks a moment after its access key; the box then runs its own loop.
        QList<QPointer<frmAbout>> opened;
        QList<QWidget *> parents;
        QTimer watcher;
        watcher.setInterval(10);
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (!about || opened.contains(about))
                return;
            opened.append(about);
            parents.append(about->parentWidget());
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
        }
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].isNull() && opened[1].isNull()); // unloaded on closing
        QCOMPARE(parents, (QList<QWidget *>{&window, &window}));
        QTest::qWait(200); // an access key that got through would click by now
        QCOMPARE(ended, 0);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
