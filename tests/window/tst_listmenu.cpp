#include "support/contextmenu.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QJsonDocument>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QtTest>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

// The rows of a CSV file as Python's csv module reads them, each row's fields joined by "|".
QStringList readBack(const QString &file)
{
    QProcess python;
    python.start("python3", {"-c",
                             "import csv, json, sys\nprint(json.dumps(list(csv.reader(open("
                             "sys.argv[1], newline='', encoding='utf-8'), strict=True))))",
                             file});
    python.waitForFinished();
    QStringList rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows << row.toVariant().toStringList().join('|');
    return rows;
}

// The list's menu on the main window's real list, and what it adds: copying paths, the CSV
// export and the duplicates view.
class TestListMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<CatalogueFixture> m_catalogue;
    std::unique_ptr<frmMain> m_window;
    QTableView *m_view = nullptr;
    QStringList m_proposed; // what the save dialog was asked to propose
    QStringList m_answers;  // its answers in turn; none left: Cancel
    QTemporaryDir m_config;

    // A window on a catalogue of these rows, each "Path|File|Size|Archive|Serial".
    void load(const QStringList &rows)
    {
        m_window.reset();
        m_catalogue = std::make_unique<CatalogueFixture>();
        for (const QString &row : rows)
            m_catalogue->exec(QString("INSERT INTO Files (Path, File, Size, Archive, Serial, "
                                      "Modified) VALUES ('%1', '2003-01-02 10:20:30')")
                                  .arg(row.split('|').join("', '")));
        Services services = testServices(m_catalogue->folder());
        services.saveFileName = [this](QWidget *, const QString &title, const QString &proposed) {
            m_proposed << title + "|" + proposed;
            return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        };
        m_window = std::make_unique<frmMain>(services);
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_view = m_window->findChild<QTableView *>("lvwFiles");
    }
    void select(const QList<int> &rows)
    {
        m_view->clearSelection();
        for (int row : rows)
            TestCatalogue::select(m_window->list(), row, row != rows.first());
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The settings the window keeps go to a folder of the test's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void cleanup()
    {
        if (QWidget *menu = QApplication::activePopupWidget())
            menu->hide();
    }

    void menu_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("selected"); // before the menu is asked for; kept
        QTest::addColumn<bool>("enabled");        // the items that act on the selection

        QTest::newRow("right-click on a row selects it") << "row 1" << QList<int>{} << true;
        QTest::newRow("right-click below the rows") << "below" << QList<int>{} << false;
        QTest::newRow("Menu key") << "menu key" << QList<int>{1} << true;
        QTest::newRow("Menu key, nothing selected") << "menu key" << QList<int>{} << false;
        QTest::newRow("Shift+F10") << "shift+f10" << QList<int>{0, 1} << true;
    }
    void menu()
    {
        QFETCH(QString, how);
        QFETCH(QList<int>, selected);
        QFETCH(bool, enabled);

        load({"/d|a.txt|1|A|1", "/d|b.txt|1|A|1", "/d|c.txt|1|A|1"});
        select(selected);
        QMenu *menu = nullptr;
        if (how.startsWith("row") || how == "below") {
            menu = ContextMenu::rightClick(m_view, how == "below" ? -1 : how.back().digitValue());
        } else {
            if (how == "menu key") { // as the system sends it for the key
                QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(),
                                        m_view->mapToGlobal(QPoint()));
                QApplication::sendEvent(m_view, &event);
            } else {
                QTest::keyClick(m_view, Qt::Key_F10, Qt::ShiftModifier);
            }
            menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        }

        QVERIFY(menu);
        const QString off = enabled ? "" : " (off)";
        QCOMPARE(ContextMenu::items(menu),
                 QStringList({"Open" + off, "Open Containing Folder" + off, "Copy Path" + off,
                              "Remove" + off, "Undo Remove (off)", "-", "Export List...",
                              "Show Duplicates", "Discs...", "Find...", "-",
                              "Look inside archives"}));
        QCOMPARE(int(m_window->list().selectedRows().size()), how == "row 1" ? 1 : selected.size());
    }

    void copyPath_data()
    {
        QTest::addColumn<bool>("fromMenu"); // else Ctrl+C
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("copied"); // "-": the clipboard as it was

        QTest::newRow("menu, several rows")
            << true << QList<int>{2, 0, 1} << "/d/a, b.txt\n/root.txt\n/d/Überblick \"x\".txt";
        QTest::newRow("Ctrl+C") << false << QList<int>{1, 2} << "/root.txt\n/d/Überblick \"x\".txt";
        QTest::newRow("Ctrl+C, nothing selected") << false << QList<int>{} << "-";
    }
    void copyPath()
    {
        QFETCH(bool, fromMenu);
        QFETCH(QList<int>, selected);
        QFETCH(QString, copied);

        load({"/d|a, b.txt|1|A|1", "/|root.txt|1|A|1", "/d|Überblick \"x\".txt|1|A|1"});
        QGuiApplication::clipboard()->setText("-");
        select(selected);
        if (fromMenu)
            ContextMenu::choose(m_view, selected.first(), "Copy Path");
        else
            QTest::keyClick(m_view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    }

    // Beside the text, each path as a file address of its own bytes: a name that is not UTF-8
    // (shown with a replacement character) still names the file.
    void copyPathAddress_data()
    {
        QTest::addColumn<QByteArray>("name"); // of a real file
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9.txt") << QByteArray("caf%E9.txt");
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9.txt") << QByteArray("caf%C3%A9.txt");
        QTest::newRow("blank, percent, hash")
            << QByteArray("a b%#.txt") << QByteArray("a%20b%25%23.txt");
    }
    void copyPathAddress()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, encoded);
        QTemporaryDir disc;
        const QByteArray folder = QFile::encodeName(disc.path());
        const int fd = ::open((folder + "/" + name).constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        load({});
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(qPrintable(m_catalogue->folder() + "/data.mdb"), &db), SQLITE_OK);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO Files (Path, File) VALUES (?, ?)", -1, &insert, {});
        sqlite3_bind_text(insert, 1, folder.constData(), int(folder.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, name.constData(), int(name.size()), SQLITE_STATIC);
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
        sqlite3_close(db);
        m_window->list().RefreshLv();
        select({0});
        QTest::keyClick(m_view, Qt::Key_C, Qt::ControlModifier);

        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied);
        QCOMPARE(copied->text(), QString::fromUtf8(folder + "/" + name));
        const QByteArray uri = copied->data("text/uri-list");
        QCOMPARE(uri, "file://" + folder.toPercentEncoding("/") + "/" + encoded + "\r\n");
        // What a file manager does with it: the address names the file.
        const QByteArray path = QByteArray::fromPercentEncoding(uri.chopped(2).mid(7));
        QCOMPARE(::access(path.constData(), F_OK), 0);
    }

    void exportList_data()
    {
        QTest::addColumn<int>("sortClicks"); // on the Size header
        QTest::addColumn<QList<int>>("order");

        QTest::newRow("as loaded") << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("by size, from the largest") << 1 << QList<int>{0, 3, 2, 1};
        QTest::newRow("by size, from the smallest") << 2 << QList<int>{1, 2, 3, 0};
    }
    void exportList()
    {
        QFETCH(int, sortClicks);
        QFETCH(QList<int>, order);

        const QStringList rows = {"/cd|plain.txt|1,234,567|DATA1|1234-ABCD",
                                  "/cd/a,b|say \"hi\", twice.txt||DATA1|1234-ABCD",
                                  "/cd|two\nlines\r\n.txt|12|My Disc|", "/cd| Café |999||"};
        load(rows);
        QStringList expected = {"Path|File|Size|Type|Created|Accessed|Modified|Archive|Serial"};
        for (int row : order) {
            QStringList f = rows[row].split('|');
            f[2] = QString::number(f[2].remove(',').toInt()); // a plain number; none is 0
            expected << f.mid(0, 3).join('|') + "||||2003-01-02T10:20:30|" + f.mid(3).join('|');
        }
        for (int i = 0; i < sortClicks; ++i)
            m_window->lvwFiles_ColumnClick(4);
        QTemporaryDir out;
        m_answers = QStringList{out.filePath("list.csv")};
        ContextMenu::choose(m_view, 0, "Export List...");
        QCOMPARE(readBack(out.filePath("list.csv")), expected);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // A cell a spreadsheet would run as a formula keeps its text behind an apostrophe, and the
    // file is UTF-8 throughout: a byte that is not is written as the list shows it.
    void exportSafe_data()
    {
        QTest::addColumn<QString>("stored"); // the File cell, as an SQL expression
        QTest::addColumn<QString>("written");
        QTest::newRow("formula") << "'=HYPERLINK(\"http://x\",\"y\")'"
                                 << "'=HYPERLINK(\"http://x\",\"y\")";
        QTest::newRow("plus") << "'+1.txt'" << "'+1.txt";
        QTest::newRow("minus, with a comma") << "'-2,3'" << "'-2,3";
        QTest::newRow("at") << "'@SUM(A1)'" << "'@SUM(A1)";
        QTest::newRow("tab") << "char(9) || 'x'" << "'\tx";
        QTest::newRow("carriage return") << "char(13) || 'x'" << "'\rx";
        QTest::newRow("inside is plain") << "'a=b-c'" << "a=b-c";
        QTest::newRow("not UTF-8") << "CAST(X'66FF6F2E747874' AS TEXT)" << "f\uFFFDo.txt";
        QTest::newRow("UTF-8 as it is") << "'Café.txt'" << "Café.txt";
    }
    void exportSafe()
    {
        QFETCH(QString, stored);
        QFETCH(QString, written);
        load({});
        m_catalogue->exec("INSERT INTO Files (Path, File, Size) VALUES ('/cd', " + stored +
                          ", '-1,294,967,296')");
        m_window->list().RefreshLv();
        QTemporaryDir out;
        m_answers = QStringList{out.filePath("list.csv")};
        m_window->exportList().mnuExportList_Click(m_window.get());
        const QStringList back = readBack(out.filePath("list.csv"));
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[1].section('|', 1, -8), written);
        QCOMPARE(back[1].section('|', -7, -7), "3000000000");
    }

    void exportFailures()
    {
        load({"/cd|a.txt|1|A|1"});
        for (int i = 0; i < 200; ++i) // more than the small file system below can take
            m_catalogue->addRow("/media/cd/a folder with a long name", QString("file %1").arg(i));
        m_window->list().RefreshLv();
        QTemporaryDir out, small;
        const bool mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs",
                                                         small.path()}) == 0;
        QFile earlier(small.filePath("list.csv"));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        QueuedBoxes boxes;
        // Into a folder that is not there, then onto a disc that fills up.
        m_answers = QStringList{out.filePath("gone/list.csv"), small.filePath("list.csv")};
        for (int i = 0; i < (mounted ? 2 : 1); ++i) {
            boxes.queueAnswer(BoxAnswer::Ok);
            m_window->exportList().mnuExportList_Click(m_window.get());
        }
        const QStringList left = QDir(small.path()).entryList(QDir::Files | QDir::Hidden);
        earlier.open(QIODevice::ReadOnly);
        const QByteArray kept = earlier.readAll();
        earlier.close();
        if (mounted)
            QProcess::execute("umount", {small.path()});

        QCOMPARE(boxes.messages().value(0).text,
                 "An error has occurred.\r\nError: 76\r\nDescription: Path not found");
        QVERIFY(!QFileInfo::exists(out.filePath("gone")));
        if (!mounted)
            QSKIP("a full disc needs a small file system of its own (mount, as root)");
        // Nothing half-written is left, and the earlier file is as it was. The folder chosen
        // last is proposed, even when the export failed.
        QCOMPARE(m_proposed.last(), "Export List|" + out.path() + "/gone/catalogue.csv");
        QCOMPARE(boxes.messages().value(1).text,
                 "An error has occurred.\r\nError: 61\r\nDescription: Disk full");
        QCOMPARE(left, QStringList{"list.csv"});
        QCOMPARE(kept, "earlier");
    }

    // Ctrl+F, a query of type, size, disc and an exclusion, Enter: the list shows the matching
    // rows as a view that Export List and Remove work on, until Show All.
    void find()
    {
        load({"/cd|a.jpg|2,000,000|BLUE|1", "/cd|b.jpg|10|BLUE|1", "/cd|c.png|3,000,000|RED|2",
              "/cd|d.jpg|5,000,000|BLUE|1", "/cd|e.jpg|1,500,000|BLUE|1"});
        QTest::keyClick(m_view, Qt::Key_F, Qt::ControlModifier);
        auto *find = m_window->findChild<QDialog *>("frmFind");
        QVERIFY(find && find->isVisible() && !find->isModal());
        QCOMPARE(find->windowTitle(), "Find");
        auto *query = find->findChild<QLineEdit *>("txtQuery");
        auto *count = find->findChild<QLabel *>("lblCount");
        QCOMPARE(find->focusWidget(), query);
        QTRY_COMPARE(count->text(), "5 files, 11.0 MB");
        // A query that cannot be read says why and changes nothing.
        QTest::keyClicks(query, "size:10XB");
        QCOMPARE(count->text(), "\"10XB\" is not a size");
        QTest::keyClick(query, Qt::Key_Return);
        QCOMPARE(m_window->list().count(), 5);

        query->setText("type:jpg size:>1MB disc:blue -d.jpg");
        QTRY_COMPARE(count->text(), "2 files, 3.3 MB");
        QTest::keyClick(query, Qt::Key_Return);
        auto *search = m_window->findChild<QPushButton *>("cmdSearch");
        QCOMPARE(search->text(), "&Show All");
        QCOMPARE(TestCatalogue::listed(m_window->list()), QStringList({"a.jpg", "e.jpg"}));
        QVERIFY(find->isVisible());
        QTemporaryDir out;
        m_answers = QStringList{out.filePath("found.csv")};
        m_window->exportList().mnuExportList_Click(m_window.get());
        QCOMPARE(readBack(out.filePath("found.csv")).mid(1).replaceInStrings(QRegularExpression(
                                                                                 "^/cd\\|([^|]*).*"),
                                                                             "\\1"),
                 QStringList({"a.jpg", "e.jpg"}));
        select({0});
        m_window->cmdRemove_Click();
        QCOMPARE(TestCatalogue::listed(m_window->list()), QStringList{"e.jpg"});
        QTRY_COMPARE(count->text(), "1 file, 1.4 MB"); // the count follows the rows

        m_window->mnuFind_Click(); // one window at a time
        QCOMPARE(m_window->findChildren<QDialog *>("frmFind").size(), 1);
        search->click();
        QCOMPARE(search->text(), "&Search");
        QCOMPARE(m_window->list().count(), 4);
    }

    void duplicates_data()
    {
        QTest::addColumn<QStringList>("rows");     // File|Size|Archive|Serial, all in /cd
        QTest::addColumn<QStringList>("expected"); // File|Archive|Serial; none: a message

        const QString a = "|1,234|D1|S1", b = "|1,234|D2|S2";
        QTest::newRow("same name and size on two discs")
            << QStringList{"a.txt" + a, "a.txt" + b, "b.txt" + a}
            << QStringList{"a.txt|D1|S1", "a.txt|D2|S2"};
        QTest::newRow("twice on one disc")
            << QStringList{"a.txt" + a, "a.txt" + a} << QStringList{};
        QTest::newRow("other size")
            << QStringList{"a.txt" + a, "a.txt|1,235|D2|S2"} << QStringList{};
        QTest::newRow("same label, other serial") << QStringList{"a.txt" + a, "a.txt|1,234|D1|S3"}
                                                  << QStringList{"a.txt|D1|S1", "a.txt|D1|S3"};
        QTest::newRow("case, folding and separators do not count")
            << QStringList{"Straße.TXT" + a, "STRASSE.txt|1.234|D2|S2"}
            << QStringList{"Straße.TXT|D1|S1", "STRASSE.txt|D2|S2"};
        QTest::newRow("no size is size 0, as the indexer writes it")
            << QStringList{"e.txt||D1|S1", "e.txt|0|D2|S2", "n.txt|n/a|D1|S1", "n.txt|0|D2|S2"}
            << QStringList{"e.txt|D1|S1", "e.txt|D2|S2"};
        QTest::newRow("ordered by name, size, then disc")
            << QStringList{"b.txt|20|D2|S", "B.TXT|3|D1|S",  "a.txt|5|D2|S", "b.txt|3|D2|S",
                           "A.txt|5|D1|S",  "b.txt|20|D1|S", "c.txt|5|D1|S", "b.txt|3|D1|S"}
            << QStringList{"A.txt|D1|S", "a.txt|D2|S", "B.TXT|D1|S", "b.txt|D1|S",
                           "b.txt|D2|S", "b.txt|D1|S", "b.txt|D2|S"};
        QTest::newRow("engine failure")
            << QStringList{"a.txt" + a, "a.txt" + b} << QStringList{"error"};
    }
    void duplicates()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, expected);

        load(QStringList(rows).replaceInStrings(QRegularExpression("^"), "/cd|"));
        if (expected == QStringList{"error"}) // it may not write even its temporary tables
            sqlite3_exec(m_window->catalogue().cnCatalogue().handle(), "PRAGMA query_only = 1", {},
                         {}, {});
        auto *search = m_window->findChild<QPushButton *>("cmdSearch");
        QueuedBoxes boxes;
        if (expected.size() < 2)
            boxes.queueAnswer(BoxAnswer::Ok);
        ContextMenu::choose(m_view, -1, "Show Duplicates");

        QStringList listed;
        for (int row = 0; row < m_window->list().count(); ++row)
            listed << QStringList{m_window->list().text(row, 2), m_window->list().text(row, 8),
                                  m_window->list().text(row, 9)}
                          .join('|');
        if (expected.size() < 2) {
            const MessageBox::Shown box = boxes.messages().value(0);
            if (expected.isEmpty())
                QCOMPARE(QString("%1|%2|%3").arg(box.title, box.text, look(box)),
                         "Duplicates|No duplicates were found!|OK");
            else
                QVERIFY(box.text.startsWith("An error has occurred.\r\nError: "));
            QCOMPARE(search->text(), "&Search");
            QCOMPARE(listed.size(), rows.size()); // the full view
            return;
        }
        QCOMPARE(listed, expected);
        QCOMPARE(search->text(), "&Show All");
        QVERIFY(!QGuiApplication::overrideCursor());
        // Removing one leaves the others of the view; "&Show All" brings back every row.
        select({0});
        m_window->cmdRemove_Click();
        QCOMPARE(m_window->list().count(), expected.size() - 1);
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(search->text(), "&Search");
        QCOMPARE(m_window->list().count(), rows.size() - 1);
    }

    // On until turned off, and the next window remembers the choice.
    void lookInsideArchivesIsRemembered()
    {
        load({"/d|a.zip|1|A|1"});
        QMenu *menu = ContextMenu::rightClick(m_view, 0);
        QVERIFY(menu);
        QAction *look = menu->actions().last();
        QVERIFY(look->isChecked());
        look->trigger();
        load({"/d|a.zip|1|A|1"});
        menu = ContextMenu::rightClick(m_view, 0);
        QVERIFY(!menu->actions().last()->isChecked());
        QCOMPARE(QSettings("Vellumark", "Vellumark").value("LookInsideArchives").toBool(), false);
        menu->actions().last()->trigger();
    }
};

QTEST_MAIN(TestListMenu)
#include "tst_listmenu.moc"
