#include "catalogue/findquery.h"
#include "catalogue/foldertree.h"
#include "catalogue/media.h"
#include "platform/mountedmedia.h"
#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/discs/discs.h"
#include "window/discs/discsmodel.h"
#include "window/discs/frmdiscs.h"
#include "window/main/frmmain.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeView>
#include <QtTest>

#include <sqlite3.h>

namespace {

struct FixedMedia : MountedMedia
{
    std::vector<MountedMedium> media;
    std::vector<MountedMedium> list() override { return media; }
};

// Rows "Path|File|Size|Archive|Serial"; NULL for no value.
void addRows(CatalogueFixture &catalogue, const QStringList &rows)
{
    for (const QString &row : rows) {
        QStringList values;
        for (const QString &cell : row.split('|'))
            values << (cell == "NULL" ? cell : "'" + cell + "'");
        catalogue.exec("INSERT INTO Files (Path, File, Size, Archive, Serial) VALUES (" +
                       values.join(", ") + ")");
    }
}

// Two discs labelled DISC with other serials, a disc whose volume query failed (a label of 14
// blanks, its serial missing or empty), and an ext4 disc.
const QStringList Rows = {
    "/cd|a|1,000|DISC|1234-ABCD",        "/cd|b|2,048|DISC|1234-ABCD", "/cd|c||DISC|1234-ABCD",
    "/cd|d|10|DISC|5678-0000",           "/x|e|5|              |NULL", "/x|f|5|              |",
    "/cd|g|3,000,000,000|DISC|1234-ABCD"};

QStringList lines(const DiscsModel &model)
{
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < DiscsModel::ColumnCount; ++c)
            cells << model.text(row, c);
        shown << cells.join('|');
    }
    return shown;
}

// Selects one line as a click does.
void click(QTreeView *view, int row)
{
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

bool run(const QString &commands)
{
    return QProcess::execute(
               "sh", {"-ec", "PATH=/usr/sbin:/sbin:$PATH; exec >/dev/null 2>&1; " + commands}) == 0;
}

} // namespace

class TestDiscs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The same lines whether counted from the rows the list holds or read again because the list
    // shows a narrowed view; any order of the rows; mounted media found by label and serial.
    void listing_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<QStringList>("expected");

        const QString blank = "              ";
        const QStringList byLabel = {
            blank + "||2|0|10 bytes|||",
            "(no label)|1A2B-3C4D|||||/media/u/NEW|",
            "DISC|1234-ABCD|4|0|2.8 GB|7 Dec 2026 03:04:05||box 3",
            "DISC|5678-0000|1|0|10 bytes||/mnt/cdrom|",
        };
        QTest::newRow("whole catalogue, by label") << "whole" << int(DiscsModel::Label) << byLabel;
        QTest::newRow("a search shown, by label") << "search" << int(DiscsModel::Label) << byLabel;
        QTest::newRow("by size") << "whole" << int(DiscsModel::Size)
                                 << QStringList{byLabel[1], byLabel[0], byLabel[3], byLabel[2]};
        QTest::newRow("by files, a search shown")
            << "search" << int(DiscsModel::Files)
            << QStringList{byLabel[1], byLabel[3], byLabel[0], byLabel[2]};
    }
    void listing()
    {
        QFETCH(QString, view);
        QFETCH(int, sortColumn);
        QFETCH(QStringList, expected);

        CatalogueFixture catalogue;
        addRows(catalogue, Rows);
        catalogue.exec("INSERT INTO MediumCatalogued VALUES ('DISC', '1234-ABCD', "
                       "'2026-12-07 03:04:05')");
        catalogue.exec("INSERT INTO MediumNotes VALUES ('DISC', '1234-ABCD', 'box 3')");
        // Mounted now: one catalogued disc (twice; the first counts), a disc of the same label
        // and another serial that a file manager does not show, a new one it shows.
        FixedMedia media;
        media.media = {{"/mnt/cdrom", "DISC", 0x56780000, false},
                       {"/media/u/DISC", "DISC", 0x56780000, true},
                       {"/mnt/other", "DISC", 0x11112222, false},
                       {"/media/u/NEW", "", 0x1A2B3C4D, true}};
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        if (view == "search")
            QCOMPARE(loaded.list.show(ListView::search("a")), 1);
        Discs discs(loaded.catalogue, loaded.list, &media);
        DiscsModel model;
        model.sort(sortColumn);
        model.setDiscs(discs.list());

        QCOMPARE(lines(model), expected);
        QCOMPARE(model.totals(), "3 discs, 7 files, 2.8 GB");
    }

    // Remove Disc takes exactly that disc's rows, and nothing of a disc of the same label; a
    // refused one (No, a read-only or locked catalogue) leaves every row.
    void removeDisc_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("remaining");

        QTest::newRow("yes") << "yes"
                             << "d e f";
        QTest::newRow("yes, a search shown") << "yes, search"
                                             << "d e f";
        QTest::newRow("yes, rows still coming in") << "yes, filling"
                                                   << "d e f";
        QTest::newRow("no") << "no"
                            << "a b c d e f g";
        QTest::newRow("read-only") << "read-only"
                                   << "a b c d e f g";
        QTest::newRow("locked") << "locked"
                                << "a b c d e f g";
    }
    void removeDisc()
    {
        QFETCH(QString, how);
        QFETCH(QString, remaining);

        CatalogueFixture catalogue;
        addRows(catalogue, Rows);
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        if (how.endsWith("search")) // the rows are not all held: found by the catalogue
            QCOMPARE(loaded.list.show(ListView::search("")), 7);
        if (how.endsWith("filling")) // none in yet: the disc's rows are found by the catalogue
            loaded.list.fillBehind();
        Discs discs(loaded.catalogue, loaded.list, nullptr);
        std::vector<Disc> listed = discs.list();
        const auto disc = std::find_if(listed.begin(), listed.end(),
                                       [](const Disc &d) { return d.serial == "1234-ABCD"; });
        QVERIFY(disc != listed.end());
        if (how == "read-only")
            sqlite3_exec(loaded.catalogue.cnCatalogue().handle(), "PRAGMA query_only = 1", {}, {},
                         {});
        if (how == "locked")
            catalogue.exec("BEGIN IMMEDIATE");
        QueuedBoxes boxes;
        boxes.queueAnswer(how == "no" ? BoxAnswer::No : BoxAnswer::Yes);
        const bool failed = how == "read-only" || how == "locked";
        if (failed)
            boxes.queueAnswer(BoxAnswer::Ok);

        QCOMPARE(discs.removeDisc(*disc), how.startsWith("yes"));
        if (how == "locked")
            catalogue.exec("COMMIT");

        const MessageBox::Shown box = boxes.messages().first();
        QCOMPARE(QString("%1|%2|%3").arg(box.title, box.text, look(box)),
                 "Remove Disc|Remove the 4 files of \"DISC\" from the catalogue?|Yes No, No default");
        QCOMPARE(boxes.messages().size(), failed ? 2 : 1);
        if (failed)
            QVERIFY(boxes.messages()[1].text.startsWith("An error has occurred.\r\nError: "));
        QCOMPARE(catalogue.files().join(' '), remaining);
        QCOMPARE(TestCatalogue::listed(loaded.list).join(' '), remaining);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // From the main window: Ctrl+D opens the one Discs window, Enter shows a disc's files, Show
    // All brings every row back; a real medium mounted where a file manager shows it is listed
    // and indexed from the window, which then shows it catalogued.
    void window()
    {
        CatalogueFixture catalogue;
        addRows(catalogue, Rows);
        frmMain main(testServices(catalogue.folder()));
        main.Form_Load();
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto *search = main.findChild<QPushButton *>("cmdSearch");

        QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier);
        auto *discs = main.findChild<frmDiscs *>();
        QVERIFY(discs && discs->isVisible());
        main.mnuDiscs_Click();
        QCOMPARE(main.findChildren<frmDiscs *>().size(), 1);
        auto *view = discs->findChild<QTreeView *>("lvwDiscs");
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 lines(discs->model()).join('\n').replace('|', '\t'));
        const int row = lines(discs->model()).indexOf(QRegularExpression("^DISC\\|5678-0000.*"));
        click(view, row);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(TestCatalogue::listed(main.list()), QStringList{"d"});
        QCOMPARE(search->text(), "&Show All");
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(search->text(), "&Search");
        QCOMPARE(main.list().count(), Rows.size());

        QTemporaryDir dir;
        const QString point = "/media/vellumark-test-" + QFileInfo(dir.path()).fileName();
        if (!run("cd '" + dir.path() + "'; mkdir content; echo x > content/one.txt; " +
                 "mkfs.ext4 -q -F -U 0a1b2c3d-0000-4000-8000-000000000002 -L FRESH -d content " +
                 "disc.img 4M; mkdir -p '" + point + "'; mount -o loop disc.img '" + point + "'"))
            QSKIP("loop mounting is refused here");
        const auto unmount =
            qScopeGuard([&] { run("umount '" + point + "'; rmdir '" + point + "'"); });
        discs->refresh();
        const QRegularExpression fresh("FRESH\\|A1B-2C3D\\|.*");
        QCOMPARE(lines(discs->model()).filter(fresh),
                 QStringList("FRESH|A1B-2C3D|||||" + point + "|"));
        click(view, lines(discs->model()).indexOf(fresh));
        discs->findChild<QPushButton *>("cmdIndex")->click();
        QTRY_VERIFY(!main.runUnderWay() && !main.list().filling());
        const QStringList indexed = lines(discs->model()).filter(fresh);
        QCOMPARE(indexed.size(), 1);
        // Catalogued just now, and still where it is mounted.
        QVERIFY2(indexed[0].startsWith("FRESH|A1B-2C3D|1|0|2 bytes|") &&
                     !indexed[0].split('|')[5].isEmpty() && indexed[0].endsWith(point + "|"),
                 qPrintable(indexed[0]));
        QVERIFY(TestCatalogue::listed(main.list()).contains("one.txt"));
    }

    // While the window is open, Mounted At follows the mount table: a catalogued disc mounted
    // (outside /media, where no file manager offers it) shows where at once, and unmounted,
    // nowhere.
    void followsMounts()
    {
        QTemporaryDir dir;
        if (!run("cd '" + dir.path() + "'; mkdir content point; echo x > content/one.txt; " +
                 "mkfs.ext4 -q -F -U 1b2b3c4d-0000-4000-8000-000000000003 -L WATCHED -d content "
                 "disc.img 4M"))
            QSKIP("no mkfs.ext4 here");
        CatalogueFixture catalogue;
        addRows(catalogue, {"/old|one.txt|2|WATCHED|1B2B-3C4D"});
        frmMain main(testServices(catalogue.folder()));
        main.Form_Load();
        main.show();
        main.mnuDiscs_Click();
        auto *discs = main.findChild<frmDiscs *>();
        QCOMPARE(discs->model().text(0, DiscsModel::MountedAt), "");
        const QString point = dir.filePath("point");
        if (!run("mount -o loop,ro '" + dir.filePath("disc.img") + "' '" + point + "'"))
            QSKIP("loop mounting is refused here");
        auto unmount = qScopeGuard([&] { run("umount '" + point + "'"); });
        QTRY_COMPARE_WITH_TIMEOUT(discs->model().text(0, DiscsModel::MountedAt), point, 5000);
        unmount.dismiss();
        QVERIFY(run("umount '" + point + "'"));
        QTRY_COMPARE_WITH_TIMEOUT(discs->model().text(0, DiscsModel::MountedAt), "", 5000);
    }

    // The folders of a disc: from the rows' folders, whatever their order; the tree starts at
    // the folder all of them are at or below; counts at and below each folder.
    void folderTree_data()
    {
        QTest::addColumn<QStringList>("rows"); // Path|Size
        QTest::addColumn<QString>("tree");     // name files bytes, depth first, in name order
        QTest::newRow("mounted disc")
            << QStringList{"/media/cd/b/x|10", "/media/cd|1", "/media/cd/a|2", "/media/cd/b|3",
                           "/media/cd/b/x|1,000"}
            << "/media/cd 5 1016 [a 1 2] [b 3 1013 [x 2 1010]]";
        QTest::newRow("no files at the top, names alike")
            << QStringList{"/m/a b|1", "/m/a/c|1", "/m/A|1", "/m/a-b|1"}
            << "/m 4 4 [A 1 1] [a 1 1 [c 1 1]] [a b 1 1] [a-b 1 1]";
        QTest::newRow("the root folder")
            << QStringList{"/x|1", "/|2", "/y/z/|4"} << "/ 3 7 [x 1 1] [y 1 4 [z 1 4]]";
    }
    void folderTree()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, tree);
        FolderTree folders;
        for (const QString &row : rows) {
            const QByteArray path = row.section('|', 0, 0).toUtf8();
            const QByteArray size = row.section('|', 1).toUtf8();
            folders.add(path.constData(), int(path.size()), size.constData(), int(size.size()));
        }
        folders.build();
        std::function<QString(const FolderTree::Folder &)> shown =
            [&](const FolderTree::Folder &folder) {
                QString text = QString("%1 %2 %3")
                                   .arg(QString::fromUtf8(folder.name))
                                   .arg(folder.files)
                                   .arg(folder.bytes);
                for (const auto &child : folder.children)
                    text += " [" + shown(*child) + "]";
                return text;
            };
        QCOMPARE(shown(*folders.root()), tree);
    }

    // Right or + expands a disc into its folders, Left or - closes; Enter on a folder shows its
    // files and those below it as a view of the list, which the status line names; Copy gives
    // the folder's path, files and size. The tree stays open when the list is refilled.
    void browse()
    {
        CatalogueFixture catalogue;
        addRows(catalogue, {"/cd|a|1|DISC|1", "/cd/m|b|2|DISC|1", "/cd/m/n|c|3|DISC|1",
                            "/cd/m n|d|4|DISC|1", "/cd/m%|e|5|DISC|1", "/cd/m/n|f|6|OTHER|2"});
        frmMain main(testServices(catalogue.folder()));
        main.Form_Load();
        main.show();
        main.mnuDiscs_Click();
        auto *discs = main.findChild<frmDiscs *>();
        discs->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(discs));
        auto *view = discs->findChild<QTreeView *>("lvwDiscs");
        const DiscsModel &model = discs->model();
        click(view, 0);
        QCOMPARE(model.rowCount(model.index(0, 0)), 0); // read when expanded, not before
        QTest::keyClick(view, Qt::Key_Right);
        QVERIFY(view->isExpanded(model.index(0, 0)));
        QStringList shown;
        for (int row = 0; row < model.rowCount(model.index(0, 0)); ++row) {
            const QModelIndex folder = model.index(row, 0, model.index(0, 0));
            shown << model.text(folder) + " " +
                         model.text(folder.siblingAtColumn(DiscsModel::Files));
        }
        QCOMPARE(shown.join(", "), "m 2, m n 1, m% 1");
        QTest::keyClick(view, Qt::Key_Down); // on m
        QTest::keyClick(view, Qt::Key_Plus);
        QVERIFY(view->isExpanded(view->currentIndex()));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(TestCatalogue::listed(main.list()).join(' '), "b c");
        QTRY_COMPARE(main.findChild<QLabel *>("lblStatus")->text(), "2 of 6 files (folder /cd/m)");
        // Refilled: still open, still on m.
        QVERIFY(view->isExpanded(view->currentIndex()));
        QCOMPARE(model.text(view->currentIndex()), "m");
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "/cd/m\t2\t5 bytes");
        QTest::keyClick(view, Qt::Key_Minus);
        QVERIFY(!view->isExpanded(view->currentIndex()));
        QTest::keyClick(view, Qt::Key_Left); // to the disc
        QTest::keyClick(view, Qt::Key_Left);
        QVERIFY(!view->isExpanded(model.index(0, 0)));
        QVERIFY(!discs->findChild<QPushButton *>("cmdRemoveDisc")->isEnabled() ||
                !model.folder(view->currentIndex()));
    }

    // A note is typed in place (F2, or a double-click on it), kept in a table of its own,
    // copied with the line and found by Find's note:; the disc's removal keeps it, Ctrl+Z
    // brings the disc's rows back, and a disc catalogued again has its note.
    void notes()
    {
        CatalogueFixture catalogue;
        addRows(catalogue, Rows);
        catalogue.exec("INSERT INTO MediumCatalogued VALUES ('DISC', '1234-ABCD', "
                       "'2026-12-07 03:04:05')");
        const QStringList before = TestCatalogue::rows(
            QDir(catalogue.folder()).filePath("data.mdb"), "ID, Path, File, Size, Serial");
        frmMain main(testServices(catalogue.folder()));
        main.Form_Load();
        main.show();
        main.mnuDiscs_Click();
        auto *discs = main.findChild<frmDiscs *>();
        auto *view = discs->findChild<QTreeView *>("lvwDiscs");
        discs->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(discs));
        const auto lineOf = [&] {
            return lines(discs->model()).indexOf(QRegularExpression("^DISC\\|1234-ABCD.*"));
        };
        click(view, lineOf());
        QTest::keyClick(view, Qt::Key_F2);
        QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), "box 3 =1+1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(discs->model().text(lineOf(), DiscsModel::Note), "box 3 =1+1");
        QCOMPARE(TestCatalogue::value(QDir(catalogue.folder()).filePath("data.mdb"),
                                      "SELECT Archive || Serial || Note FROM MediumNotes"),
                 "DISC1234-ABCDbox 3 =1+1");
        const QRect cell = view->visualRect(discs->model().index(lineOf(), DiscsModel::Note));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), ", shelf");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(discs->model().text(lineOf(), DiscsModel::Note), "box 3 =1+1, shelf");
        QCOMPARE(TestCatalogue::listed(main.list()).size(), Rows.size()); // shown nothing

        click(view, lineOf());
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().endsWith("\tbox 3 =1+1, shelf"));

        QueuedBoxes boxes;
        FindQuery query = FindQuery::parse("note:SHELF");
        query.resolveNotes(main.catalogue().media().notes());
        main.showFound(query);
        QCOMPARE(TestCatalogue::listed(main.list()).join(' '), "a b c g");
        main.list().showWholeCatalogue();

        boxes.queueAnswer(BoxAnswer::Yes);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(catalogue.files().join(' '), "d e f");
        QCOMPARE(lineOf(), -1);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(TestCatalogue::rows(QDir(catalogue.folder()).filePath("data.mdb"),
                                     "ID, Path, File, Size, Serial"),
                 before);
        QTRY_VERIFY(lineOf() >= 0);
        QVERIFY(lines(discs->model())[lineOf()].contains("|7 Dec 2026 03:04:05|"));

        click(view, lineOf());
        boxes.queueAnswer(BoxAnswer::Yes);
        QTest::keyClick(view, Qt::Key_Delete);
        addRows(catalogue, {"/cd|z|10|DISC|1234-ABCD"});
        main.list().RefreshLv();
        QCOMPARE(lines(discs->model())[lineOf()],
                 "DISC|1234-ABCD|1|0|10 bytes|||box 3 =1+1, shelf");
    }
};

QTEST_MAIN(TestDiscs)
#include "tst_discs.moc"
