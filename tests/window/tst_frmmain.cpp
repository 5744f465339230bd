#include "platform/transaction.h"
#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/list/cataloguelistmodel.h"
#include "window/discs/frmdiscs.h"
#include "window/find/frmfind.h"
#include "window/main/frmmain.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <sqlite3.h>

#include <csignal>
#include <sys/resource.h>

// The main window: its controls, the layout rule, header clicks and Exit.
class TestFrmMain : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        const QString file = TestCatalogue::create(m_dir.path());
        TestCatalogue::exec(file, QStringLiteral("INSERT INTO Files (Path, File, Size) VALUES "
                                                 "('/d', 'b', '20'), ('/e', 'a', '100'),"
                                                 "('/c', 'c', '3')"));
    }

    // A search that finds nothing says so over the list as it was, the caption still
    // "&Search" and the pointer busy; the whole catalogue comes back after the box.
    void noResultsOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("captionAfter");
        QTest::newRow("nothing found") << "zzz"
                                       << "&Search";
        QTest::newRow("found") << "b"
                               << "&Show All";
    }
    void noResultsOrder()
    {
        QFETCH(QString, text);
        QFETCH(QString, captionAfter);
        frmMain w(testServices(m_dir.path()));
        w.Form_Load();
        auto *search = w.findChild<QPushButton *>(QStringLiteral("cmdSearch"));
        QString atBox;
        MessageBox::setTestMode([&](const QString &prompt) {
            atBox = QStringLiteral("%1|%2|%3|%4")
                        .arg(prompt, search->text())
                        .arg(QGuiApplication::overrideCursor()
                                 ? QGuiApplication::overrideCursor()->shape()
                                 : Qt::ArrowCursor)
                        .arg(w.list().count());
        });
        MessageBox::setNextInput(text);
        search->click();
        QueuedBoxes restoreTestMode;
        QCOMPARE(atBox, captionAfter == "&Search" ? "No results were found!|&Search|3|3" : "");
        QCOMPARE(search->text(), captionAfter);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(w.list().count(), captionAfter == "&Search" ? 3 : 1);
    }

    void layoutRule_data()
    {
        QTest::addColumn<QList<float>>("sizes");    // client areas applied in turn: w, h, w, h...
        QTest::addColumn<QList<float>>("expected"); // list w, list h, About top, Exit top
        QTest::newRow("first show")
            << QList<float>{10575, 4500} << QList<float>{8760, 4260, 3480, 3990};
        QTest::newRow("grown by 300")
            << QList<float>{10575, 4500, 10875, 4800} << QList<float>{9060, 4560, 3780, 4290};
        QTest::newRow("minimised")
            << QList<float>{10575, 4500, 0, 0} << QList<float>{8760, 4260, -1020, -510};
        QTest::newRow("too small keeps the last valid size")
            << QList<float>{10575, 4500, 3000, 1000, 1000, 200}
            << QList<float>{1185, 760, -820, -310};
    }
    void layoutRule()
    {
        QFETCH(QList<float>, sizes);
        QFETCH(QList<float>, expected);
        MainLayout layout;
        for (int i = 0; i < sizes.size(); i += 2)
            layout.Form_Resize(sizes[i], sizes[i + 1]);
        QCOMPARE(layout.lvwFiles.width, expected[0]);
        QCOMPARE(layout.lvwFiles.height, expected[1]);
        QCOMPARE(layout.cmdAbout.top, expected[2]);
        QCOMPARE(layout.cmdExit.top, expected[3]);
        // The upper buttons and the list's corner never move.
        QCOMPARE(layout.cmdSearch.top, 600.0f);
        QCOMPARE(layout.lvwFiles.left, 1680.0f);
    }

    void windowAsDesigned()
    {
        frmMain w(testServices(m_dir.path()));
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vellumark"));
        auto *list = w.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        QCOMPARE(list->columnWidth(0), 0);
        QCOMPARE(list->columnWidth(1), 96);
        QCOMPARE(list->model()->rowCount(), 3);
        QCOMPARE(QApplication::focusWidget(), list);

        const QStringList tabOrder = {"cmdExit",           "cmdAbout",  "cmdExecuteFile",
                                      "cmdIndexDirectory", "cmdRemove", "cmdSearch"};
        const QStringList captions = {"E&xit",   "&About", "Exe&cute File", "&Index Directory",
                                      "&Remove", "&Search"};
        QWidget *widget = list;
        for (int i = 0; i < tabOrder.size(); ++i) {
            widget = widget->nextInFocusChain();
            while (!(widget->focusPolicy() & Qt::TabFocus))
                widget = widget->nextInFocusChain();
            QCOMPARE(widget->objectName(), tabOrder[i]);
            auto *button = qobject_cast<QPushButton *>(widget);
            QCOMPARE(button->text(), captions[i]);
        }
    }

    void headerClicksFlipTheOrder_data()
    {
        QTest::addColumn<QList<int>>("clicks"); // header indexes, 1-based
        QTest::addColumn<QString>("files");
        QTest::addColumn<int>("sortOrder");
        QTest::newRow("first click descends") << QList<int>{3} << "c b a" << 1;
        QTest::newRow("second click ascends") << QList<int>{3, 3} << "a b c" << 0;
        QTest::newRow("another column keeps flipping") << QList<int>{2, 3} << "a b c" << 0;
    }
    void headerClicksFlipTheOrder()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, files);
        QFETCH(int, sortOrder);
        frmMain w(testServices(m_dir.path()));
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *view = w.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        QHeaderView *header = view->horizontalHeader();
        for (int index : clicks)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(index - 1) + 5, 5));
        QCOMPARE(TestCatalogue::listed(view).join(QLatin1Char(' ')), files);
        const auto *model = static_cast<CatalogueListModel *>(view->model());
        QCOMPARE(model->sortOrder() == Qt::AscendingOrder ? 0 : 1, sortOrder);
        QCOMPARE(header->sortIndicatorSection(), clicks.last() - 1);
    }

    // Exit folds the log into data.mdb; when the disk takes no more (here: a file size limit)
    // one box names the two files to keep together, both stay as they are, the status is not
    // 0, and the next start folds them.
    void exitThatCannotFold_data()
    {
        QTest::addColumn<bool>("full");
        QTest::newRow("folded") << false;
        QTest::newRow("disk full") << true;
    }
    void exitThatCannotFold()
    {
        QFETCH(bool, full);
        QTemporaryDir dir;
        const QString file = TestCatalogue::create(dir.path());
        QStringList files;
        QueuedBoxes boxes;
        int status = -1;
        {
            Services services = testServices(dir.path());
            services.endProcess = [&status](int code) { status = code; };
            frmMain w(services);
            w.Form_Load();
            Connection &connection = w.catalogue().cnCatalogue();
            Transaction transaction(connection);
            for (int i = 0; i < 2000; ++i) {
                files << QStringLiteral("file%1.txt").arg(i, 4, 10, QLatin1Char('0'));
                const QString insert = "INSERT INTO Files (Path, File) VALUES ('" +
                                       QString(200, QLatin1Char('p')) + "', '" + files.last() +
                                       "')";
                QCOMPARE(sqlite3_exec(connection.handle(), qPrintable(insert), {}, {}, {}),
                         SQLITE_OK);
            }
            transaction.commit();
            rlimit before{};
            ::getrlimit(RLIMIT_FSIZE, &before);
            if (full) {
                boxes.queueAnswer(BoxAnswer::Ok);
                ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails, as on a full disk
                rlimit limit = before;
                limit.rlim_cur = rlim_t(QFileInfo(file).size());
                QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            }
            w.cmdExit_Click();
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &before), 0);
        }
        QCOMPARE(status, full ? 1 : 0);
        QCOMPARE(boxes.messages().size(), full ? 1 : 0);
        const QString wal = file + QStringLiteral("-wal");
        if (full) {
            const MessageBox::Shown box = boxes.messages().first();
            QVERIFY2(box.text.contains("data.mdb and its log data.mdb-wal") &&
                         look(box) == "OK stop",
                     qPrintable(box.text));
            QVERIFY(QFileInfo(wal).size() > 0);
            // The next start folds them: data.mdb alone then holds every row.
            LoadedCatalogue loaded;
            loaded.Form_Load(dir.path());
            QCOMPARE(loaded.list.count(), files.size());
            QCOMPARE(QFileInfo(wal).size(), 0);
        }
        const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
        QVERIFY(QFile::copy(file, copy));
        QCOMPARE(TestCatalogue::rows(copy), files);
    }

    // The line below the list: what the list shows, of how much, in which view; the selection;
    // what was just done, until the next action.
    void statusLine_data()
    {
        QTest::addColumn<QString>("view"); // what is done after the load
        QTest::addColumn<QString>("text");
        QTest::newRow("whole catalogue") << ""
                                         << "3 files";
        QTest::newRow("search") << "search b"
                                << "1 of 3 files (Search \"b\")";
        QTest::newRow("search after another program wrote") << "wrote search b"
                                                            << "1 of 4 files (Search \"b\")";
        QTest::newRow("find") << "find size:>10"
                              << "2 of 3 files (Find size:>10)";
        QTest::newRow("disc") << "disc"
                              << "3 of 3 files (disc DISC)";
        QTest::newRow("selection") << "select"
                                   << "3 files; 2 selected, 120 bytes";
        QTest::newRow("removal") << "remove"
                                 << "Removed 2 files. Ctrl+Z puts them back.";
        QTest::newRow("next action ends it") << "remove sort"
                                             << "1 file";
        QTest::newRow("undo") << "remove undo"
                              << "Put back 2 files.";
        QTest::newRow("run") << "run"
                             << "Catalogued 1,204 files, 12 already catalogued, in 3 s";
    }
    void statusLine()
    {
        QFETCH(QString, view);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString file = TestCatalogue::create(dir.path());
        TestCatalogue::exec(file, QStringLiteral("INSERT INTO Files (Path, File, Size, Archive) "
                                                 "VALUES ('/d', 'b', '20', 'DISC'), "
                                                 "('/e', 'a', '100', 'DISC'), "
                                                 "('/c', 'c', '3', 'DISC')"));
        frmMain w(testServices(dir.path()));
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *line = w.findChild<QLabel *>(QStringLiteral("lblStatus"));
        auto *list = w.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        // Below the list, as wide; the list keeps its designed size and margins above it.
        QCOMPARE(list->geometry().height(), 4260 / 15);
        QCOMPARE(line->geometry().top(), list->geometry().bottom() + 1 + 120 / 15);
        QCOMPARE(line->geometry().bottom() + 1, w.height());
        QCOMPARE(line->width(), list->width());

        QueuedBoxes boxes;
        if (view.startsWith("wrote ")) { // the rows held no longer answer: counted behind
            TestCatalogue::exec(file, QStringLiteral("INSERT INTO Files (File) VALUES ('x')"));
            view = view.mid(6);
        }
        if (view.startsWith("search")) {
            boxes.queueInput(view.mid(7));
            w.search().cmdSearch_Click();
        } else if (view.startsWith("find")) {
            w.showFound(FindQuery::parse(view.mid(5)));
        } else if (view == "disc") {
            w.list().show(ListView::medium("DISC", QString()));
        } else if (view == "select" || view.startsWith("remove")) {
            TestCatalogue::select(w.list(), 0);
            TestCatalogue::select(w.list(), 1, true);
            if (view.startsWith("remove"))
                QTest::keyClick(list, Qt::Key_Backspace);
            if (view.endsWith("sort"))
                w.lvwFiles_ColumnClick(3);
            if (view.endsWith("undo"))
                QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        } else if (view == "run") {
            IndexingProgress counts;
            counts.catalogued = 1204;
            counts.skipped = 12;
            counts.elapsedMs = 3100;
            w.runEnded(counts, false);
        }
        QTRY_COMPARE(line->text(), text);
        QCOMPARE(line->textFormat(), Qt::PlainText);
    }

    // Exit keeps the main window's size, its columns' widths and order and the sort; the Discs
    // and Find windows keep their size and columns. The next start shows them so.
    void layoutIsRemembered()
    {
        const auto forget =
            qScopeGuard([] { QSettings("Vellumark", "Vellumark").remove("layout"); });
        int ended = 0;
        const Services next = testServices(m_dir.path());
        {
            frmMain w(testServices(m_dir.path(), &ended));
            w.Form_Load();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.resize(900, 520);
            auto *view = w.findChild<QTableView *>(QStringLiteral("lvwFiles"));
            view->setColumnWidth(1, 300);
            view->horizontalHeader()->moveSection(3, 1); // Size before Path
            w.lvwFiles_ColumnClick(4);                   // by Size, descending
            w.mnuDiscs_Click();
            w.findChild<frmDiscs *>()->resize(640, 333);
            w.findChild<QTreeView *>("lvwDiscs")->setColumnWidth(0, 222);
            w.mnuFind_Click();
            w.findChild<frmFind *>()->resize(700, 260);
            w.cmdExit_Click();
            QCOMPARE(ended, 1);
        }
        frmMain w(next);
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(900, 520));
        auto *view = w.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        QCOMPARE(view->columnWidth(1), 300);
        QCOMPARE(view->horizontalHeader()->visualIndex(3), 1);
        QCOMPARE(TestCatalogue::listed(view).join(' '), "a b c"); // 100, 20, 3
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), 3);
        // Sizes stand right, as numbers do.
        QCOMPARE(view->model()->index(0, 3).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        w.mnuDiscs_Click();
        QCOMPARE(w.findChild<frmDiscs *>()->size(), QSize(640, 333));
        QCOMPARE(w.findChild<QTreeView *>("lvwDiscs")->columnWidth(0), 222);
        w.mnuFind_Click();
        QCOMPARE(w.findChild<frmFind *>()->size(), QSize(700, 260));
    }

    void exitEndsAtOnceWithoutAQuestion()
    {
        QueuedBoxes boxes;
        int ended = 0;
        frmMain w(testServices(m_dir.path(), &ended));
        w.Form_Load();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(w.windowHandle(), Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(ended, 1); // a mnemonic presses the button with a short animation
        QVERIFY(boxes.shown().isEmpty());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
