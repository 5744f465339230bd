#include "platform/joinpath.h"
#include "platform/platformerror.h"
#include "platform/shellexecute.h"
#include "support/contextmenu.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"

#include <QTableView>
#include <QtTest>

// Records each open request; answers with a set code, or raises for a negative one.
struct FakeShell : ShellExecutor
{
    int ShellExecute(const QString &operation, const QByteArray &file, const QString &parameters,
                     const QString &directory, int showCommand) override
    {
        calls << QStringList{operation, QString::fromUtf8(file), parameters, directory,
                             QString::number(showCommand)};
        paths << file;
        if (result < 0)
            throw PlatformError(5, "Access is denied.");
        return result;
    }
    QList<QStringList> calls;
    QList<QByteArray> paths;
    int result = ShellExecuteSucceeded;
};

// Launching from the main window's Execute button, and keys and double-clicks on its real list.
class TestLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void launch_data()
    {
        // Pressed with Ctrl; 0: the Execute button, -1: a double-click, -2 and -3: the list's
        // menu items Open Containing Folder and Open, -4: a double-click below the rows.
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer"); // to the question; 0: nothing selected
        QTest::addColumn<int>("result"); // the shell's; -1: it raises
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("path");

        auto row = [](const QString &name, int key, int answer = vbYes, int result = 42,
                      const QString &message = {}, const QString &path = "/media/cd/Docs") {
            QTest::newRow(qPrintable(name)) << key << answer << result << message << path;
        };
        row("no opens nothing", 0, vbNo);
        row("no selected item", 0, 0);
        row("root folder", 0, vbYes, 42, {}, "/");
        row("code 2", 0, vbYes, 2, "Error finding executable!");
        row("code 3", 0, vbYes, 3, "Path not found!");
        row("code 11", 0, vbYes, 11, "Bad format of executable!");
        row("code 31", 0, vbYes, 31,
            "There is no application associated with the given file name extension.");
        for (int code : {42, -1, 0, 5, 28, 32}) // success, raising, codes without a message
            row(QString("code %1").arg(code), 0, vbYes, code);
        row("Ctrl+Enter", Qt::Key_Return);
        row("Ctrl+Backspace removes", Qt::Key_Backspace);
        row("double-click", -1);
        row("double-click below the rows", -4);
        row("menu: Open", -3);
        row("menu: Open Containing Folder", -2);
        row("menu: Open Containing Folder, no", -2, vbNo);
        row("menu: Open Containing Folder, code 3", -2, vbYes, 3, "Path not found!");
        row("menu: Open, root folder", -3, vbYes, 42, {}, "/");
        row("menu: Open Containing Folder, root folder", -2, vbYes, 42, {}, "/");
    }

    void launch()
    {
        QFETCH(int, key);
        QFETCH(int, answer);
        QFETCH(int, result);
        QFETCH(QString, message);
        QFETCH(QString, path);

        CatalogueFixture catalogue;
        catalogue.addRow("/media/cd/Other", "other.txt", "OTHER");
        catalogue.addRow(path, "letter.txt", "(no label)");
        catalogue.addRow("/media/cd/Other", "third.txt", "OTHER");
        FakeShell shell;
        shell.result = result;
        Services services = testServices(catalogue.folder());
        services.shell = &shell;
        frmMain window(services);
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *view = window.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        if (answer != 0)
            view->selectRow(1);
        QueuedBoxes boxes;
        if (answer != 0 && key != Qt::Key_Backspace)
            boxes.queueAnswer(answer);
        if (!message.isEmpty())
            boxes.queueAnswer(vbOK);
        if (key == 0)
            window.cmdExecuteFile_Click();
        else if (key == -4) { // as the system sends it: a click, then the double-click
            const QPoint below = view->viewport()->rect().bottomLeft() + QPoint(20, -5);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, below);
        } else if (key < -1)
            ContextMenu::choose(view, 1, key == -2 ? "Open Containing Folder" : "Open");
        else if (key < 0)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                               view->visualRect(view->model()->index(1, 2)).center());
        else
            QTest::keyClick(view, Qt::Key(key), Qt::ControlModifier); // a modifier is ignored

        QCOMPARE(shell.calls.size(), key != Qt::Key_Backspace && answer == vbYes ? 1 : 0);
        // Folder and name joined by one "/", the root folder's too: "/letter.txt".
        for (const QStringList &call : shell.calls)
            QCOMPARE(call, (QStringList{"open", key == -2 ? path : JoinPath(path, "letter.txt"), "",
                                        "", "1"}));
        QStringList shown, expected;
        for (const MessageBox::Shown &box : boxes.messages())
            shown << QString("%1 | %2 | %3").arg(box.title, box.text).arg(box.flags);
        if (key != Qt::Key_Backspace && answer != 0)
            expected << "Insert proper CD | Have you inserted the CD: (no label) into drive " +
                            path + "? | 4";
        if (!message.isEmpty())
            expected << "Error | " + message + " | 16";
        QCOMPARE(shown, expected);
        QCOMPARE(catalogue.files().size(), key == Qt::Key_Backspace ? 2 : 3);
        QCOMPARE(view->model()->rowCount(), key == Qt::Key_Backspace ? 2 : 3);
        QCOMPARE(window.mousePointer(), int(vbDefault));
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
