#include "support/contextmenu.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/frmmain.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTableView>
#include <QtTest>

// The list's context menu and the copy of paths, on the main window's real list.
class TestListMenu : public QObject
{
    Q_OBJECT

    CatalogueFixture m_catalogue;
    std::unique_ptr<frmMain> m_window;
    QTableView *m_view = nullptr;

    void select(const QList<int> &rows)
    {
        m_view->clearSelection();
        for (int row : rows)
            TestCatalogue::select(m_window->list(), row, row != rows.first());
    }

private Q_SLOTS:
    void init()
    {
        m_catalogue.exec("DELETE FROM Files");
        m_catalogue.addRow("/media/cd/Docs", "letter, first.txt");
        m_catalogue.addRow("/", "root.txt");
        m_catalogue.addRow("/media/cd/Docs", "Überblick.txt");
        m_window = std::make_unique<frmMain>(testServices(m_catalogue.folder()));
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_view = m_window->findChild<QTableView *>("lvwFiles");
        m_view->setFocus();
    }
    void cleanup()
    {
        if (QMenu *menu = ContextMenu::shown())
            menu->hide();
        m_window.reset();
    }

    void menu_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("selected"); // before the menu is asked for
        QTest::addColumn<bool>("enabled");        // the items that act on the selection

        QTest::newRow("right-click on a row selects it") << "row 1" << QList<int>{} << true;
        QTest::newRow("right-click keeps a selection") << "row 2" << QList<int>{0, 2} << true;
        QTest::newRow("right-click below the rows keeps a selection")
            << "below" << QList<int>{1} << true;
        QTest::newRow("right-click below the rows, nothing selected")
            << "below" << QList<int>{} << false;
        QTest::newRow("Menu key") << "menu key" << QList<int>{1} << true;
        QTest::newRow("Menu key, nothing selected") << "menu key" << QList<int>{} << false;
        QTest::newRow("Shift+F10") << "shift+f10" << QList<int>{0, 1} << true;
    }
    void menu()
    {
        QFETCH(QString, how);
        QFETCH(QList<int>, selected);
        QFETCH(bool, enabled);

        select(selected);
        QMenu *menu = nullptr;
        if (how.startsWith("row"))
            menu = ContextMenu::rightClick(m_view, how.back().digitValue());
        else if (how == "below")
            menu = ContextMenu::rightClick(m_view, -1);
        else if (how == "menu key") {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, {1, 1},
                                    m_view->mapToGlobal(QPoint(1, 1)));
            QApplication::sendEvent(m_view, &event); // as the system sends it for the key
            menu = ContextMenu::shown();
        } else {
            QTest::keyClick(m_view, Qt::Key_F10, Qt::ShiftModifier);
            menu = ContextMenu::shown();
        }

        QVERIFY(menu);
        const QString off = enabled ? "" : " (off)";
        QCOMPARE(ContextMenu::items(menu),
                 QStringList({"Open" + off, "Open Containing Folder" + off, "Copy Path" + off,
                              "Remove" + off, "-", "Export List...", "Show Duplicates"}));
        // What the menu acts on is what was selected, or the row clicked.
        const QList<int> expected = how == "row 1" ? QList<int>{1} : selected;
        QList<int> rows;
        for (int row : m_window->list().selectedRows())
            rows << row;
        QCOMPARE(rows, expected);
    }

    void copyPath_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("copied"); // "-": the clipboard kept as it was

        QTest::newRow("menu, one row")
            << "menu" << QList<int>{0} << "/media/cd/Docs/letter, first.txt";
        QTest::newRow("menu, several rows")
            << "menu" << QList<int>{2, 0, 1}
            << "/media/cd/Docs/letter, first.txt\n/root.txt\n/media/cd/Docs/Überblick.txt";
        QTest::newRow("Ctrl+C, several rows")
            << "ctrl+c" << QList<int>{1, 2} << "/root.txt\n/media/cd/Docs/Überblick.txt";
        QTest::newRow("Ctrl+C, nothing selected") << "ctrl+c" << QList<int>{} << "-";
    }
    void copyPath()
    {
        QFETCH(QString, how);
        QFETCH(QList<int>, selected);
        QFETCH(QString, copied);

        QGuiApplication::clipboard()->setText("-");
        select(selected);
        if (how == "menu")
            ContextMenu::choose(m_view, selected.first(), "Copy Path");
        else
            QTest::keyClick(m_view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        QVERIFY(!ContextMenu::shown());
    }

    void removeFromMenu()
    {
        select({0, 2});
        ContextMenu::choose(m_view, 0, "Remove");
        QCOMPARE(m_catalogue.files(), QStringList{"root.txt"});
        QCOMPARE(TestCatalogue::listed(m_view), QStringList{"root.txt"});
    }
};

QTEST_MAIN(TestListMenu)
#include "tst_listmenu.moc"
