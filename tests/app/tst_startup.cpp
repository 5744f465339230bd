#include "app/basmain.h"
#include "app/guiicon.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"
#include "window/about/frmsplash.h"

#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// Start-up: the splash, then the main window on the catalogue beside the executable.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initArtwork(); }

    void splashCloses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("atLeastMs");
        QTest::addColumn<int>("atMostMs");
        QTest::newRow("timer") << "timer" << 1900 << 3000;
        QTest::newRow("click") << "click" << 0 << 1000;
        QTest::newRow("key") << "key" << 0 << 1000;
    }
    void splashCloses()
    {
        QFETCH(QString, how);
        QFETCH(int, atLeastMs);
        QFETCH(int, atMostMs);
        frmSplash splash;
        QCOMPARE(splash.size(), QSize(400, 250));
        QVERIFY(!QPixmap(QStringLiteral(":/artwork/splash.jpg")).isNull());
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QTimer::singleShot(100, &splash, [&] {
            if (how == QLatin1String("click"))
                QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(200, 120));
            else if (how == QLatin1String("key"))
                QTest::keyClick(&splash, Qt::Key_Q);
        });
        QElapsedTimer clock;
        clock.start();
        splash.exec();
        QVERIFY2(clock.elapsed() >= atLeastMs && clock.elapsed() <= atMostMs,
                 qPrintable(QString::number(clock.elapsed())));
        // Once closed, no later tick acts.
        QVERIFY(!splash.tmrSplash()->isActive());
        QVERIFY(!splash.isVisible());
    }

    void catalogueOpensOnlyAfterTheSplash()
    {
        QTemporaryDir dir; // no catalogue there
        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Ok);
        bool splashUp = false;
        int boxesWhileSplashUp = -1;
        QTimer::singleShot(200, [&] {
            auto *splash = qobject_cast<frmSplash *>(QApplication::activeModalWidget());
            splashUp = splash != nullptr;
            boxesWhileSplashUp = int(boxes.shown().size());
            if (splash)
                QTest::keyClick(splash, Qt::Key_Space);
        });
        QVERIFY(!basMain::Main(testServices(dir.path())));
        QVERIFY(splashUp);
        QCOMPARE(boxesWhileSplashUp, 0);
        QCOMPARE(boxes.shown().size(), 1);
    }

    // Nothing is created or changed: not the file, and no file beside it.
    void unusableCatalogueEndsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("sql");        // makes the file instead
        QTest::addColumn<QString>("told");
        QTest::newRow("missing") << QByteArray() << QString() << "3024";
        QTest::newRow("corrupt") << QByteArray(8192, '\x5a') << QString() << "26";
        QTest::newRow("field missing")
            << QByteArray()
            << "CREATE TABLE Files (ID INTEGER PRIMARY KEY, Path, File, Type, "
               "Created, Accessed, Modified, Archive, Serial)"
            << "'3265'";
    }
    void unusableCatalogueEndsTheProgram()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, sql);
        QFETCH(QString, told);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("data.mdb"));
        if (!sql.isEmpty()) {
            TestCatalogue::exec(file, sql);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            content = f.readAll();
        } else if (!content.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Ok);
        QVERIFY(!basMain::LoadMainWindow(testServices(dir.path())));
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY2(boxes.shown()[0].text.contains(told), qPrintable(boxes.shown()[0].text));
        if (!sql.isEmpty())
            QVERIFY2(boxes.shown()[0].text.contains("field Size"),
                     qPrintable(boxes.shown()[0].text));
        QCOMPARE(look(boxes.shown()[0]), "OK stop");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 content.isEmpty() ? QStringList() : QStringList("data.mdb"));
        QFile f(file);
        QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), content);
    }

    void goodCatalogueIsListed()
    {
        QTemporaryDir dir;
        const QString file = TestCatalogue::create(dir.path());
        TestCatalogue::exec(file, QStringLiteral("INSERT INTO Files (File) VALUES ('a'), ('b')"));
        QueuedBoxes boxes;
        std::unique_ptr<frmMain> window = basMain::LoadMainWindow(testServices(dir.path()));
        QVERIFY(window);
        QCOMPARE(TestCatalogue::listed(window->findChild<QTableView *>("lvwFiles")),
                 QStringList({"a", "b"}));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(boxes.shown().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
