#include "platform/fileopener.h"
#include "platform/joinpath.h"
#include "platform/platformerror.h"
#include "support/contextmenu.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"

#include <QTableView>
#include <QtTest>

Q_DECLARE_METATYPE(OpenResult)

// Records each open request; answers with a set result, or raises.
struct FakeOpener : FileOpener
{
    OpenResult open(const QByteArray &file) override
    {
        paths << file;
        if (raises)
            throw PlatformError(5, "Access is denied.");
        return result;
    }
    QList<QByteArray> paths;
    OpenResult result = OpenResult::Opened;
    bool raises = false;
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
        QTest::addColumn<QString>("answer"); // to the question; "": nothing selected
        QTest::addColumn<OpenResult>("result");
        QTest::addColumn<QString>("message"); // "raises": the opener raises
        QTest::addColumn<QString>("path");

        auto row = [](const QString &name, int key, const QString &answer = "yes",
                      OpenResult result = OpenResult::Opened, const QString &message = {},
                      const QString &path = "/media/cd/Docs") {
            QTest::newRow(qPrintable(name)) << key << answer << result << message << path;
        };
        row("no opens nothing", 0, "no");
        row("no selected item", 0, "");
        row("root folder", 0, "yes", OpenResult::Opened, {}, "/");
        row("file missing", 0, "yes", OpenResult::FileMissing, "Error finding executable!");
        row("application missing", 0, "yes", OpenResult::ApplicationMissing,
            "Error finding executable!");
        row("folder missing", 0, "yes", OpenResult::FolderMissing, "Path not found!");
        row("bad format", 0, "yes", OpenResult::BadFormat, "Bad format of executable!");
        row("no application", 0, "yes", OpenResult::NoApplication,
            "There is no application associated with the given file name extension.");
        row("other failure", 0, "yes", OpenResult::Failed);
        row("raises", 0, "yes", OpenResult::Opened, "raises");
        row("Ctrl+Enter", Qt::Key_Return);
        row("Ctrl+Backspace removes", Qt::Key_Backspace);
        row("double-click", -1);
        row("double-click below the rows", -4);
        row("menu: Open", -3);
        row("menu: Open Containing Folder", -2);
        row("menu: Open Containing Folder, folder missing", -2, "yes", OpenResult::FolderMissing,
            "Path not found!");
        row("menu: Open Containing Folder, root folder", -2, "yes", OpenResult::Opened, {}, "/");
    }

    void launch()
    {
        QFETCH(int, key);
        QFETCH(QString, answer);
        QFETCH(OpenResult, result);
        QFETCH(QString, message);
        QFETCH(QString, path);

        CatalogueFixture catalogue;
        catalogue.addRow("/media/cd/Other", "other.txt", "OTHER");
        catalogue.addRow(path, "letter.txt", "(no label)");
        catalogue.addRow("/media/cd/Other", "third.txt", "OTHER");
        FakeOpener shell;
        shell.result = result;
        shell.raises = message == "raises";
        Services services = testServices(catalogue.folder());
        services.opener = &shell;
        frmMain window(services);
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *view = window.findChild<QTableView *>(QStringLiteral("lvwFiles"));
        if (!answer.isEmpty())
            view->selectRow(1);
        QueuedBoxes boxes;
        if (!answer.isEmpty() && key != Qt::Key_Backspace)
            boxes.queueAnswer(answer == "yes" ? BoxAnswer::Yes : BoxAnswer::No);
        if (!message.isEmpty())
            boxes.queueAnswer(BoxAnswer::Ok);
        if (key == 0)
            window.launcher().cmdExecuteFile_Click();
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

        QCOMPARE(shell.paths.size(), key != Qt::Key_Backspace && answer == "yes" ? 1 : 0);
        // Folder and name joined by one "/", the root folder's too: "/letter.txt".
        for (const QByteArray &opened : shell.paths)
            QCOMPARE(opened, (key == -2 ? path : JoinPath(path, "letter.txt")).toUtf8());
        QStringList shown, expected;
        for (const MessageBox::Shown &box : boxes.messages())
            shown << QString("%1 | %2 | %3").arg(box.title, box.text, look(box));
        if (key != Qt::Key_Backspace && !answer.isEmpty())
            expected << "Insert proper CD | Have you inserted the CD: (no label) into drive " +
                            path + "? | Yes No";
        if (message == "raises")
            expected << "Error | An error has occurred.\r\nError: 5\r\nDescription: Access is "
                        "denied. | OK stop";
        else if (!message.isEmpty())
            expected << "Error | " + message + " | OK stop";
        QCOMPARE(shown, expected);
        QCOMPARE(catalogue.files().size(), key == Qt::Key_Backspace ? 2 : 3);
        QCOMPARE(view->model()->rowCount(), key == Qt::Key_Backspace ? 2 : 3);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
