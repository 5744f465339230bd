#include "support/contextmenu.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/frmmain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The file's rows as Python's csv module reads them, each row's fields joined by "|".
QStringList readBack(const QString &file)
{
    QProcess python;
    python.start("python3", {"-c",
                             "import csv, json, sys\n"
                             "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                             "    print(json.dumps(list(csv.reader(f, strict=True))))",
                             file});
    if (!python.waitForFinished() || python.exitCode() != 0)
        qWarning("%s", python.readAllStandardError().constData());
    QStringList rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields << field.toString();
        rows << fields.join('|');
    }
    return rows;
}

} // namespace

// Export List... from the list's menu, read back with a CSV reader of another program.
class TestExport : public QObject
{
    Q_OBJECT

    CatalogueFixture m_catalogue;
    QTemporaryDir m_out;
    QStringList m_proposed; // what the dialog was asked to propose
    QStringList m_answers;  // what it answers, in turn; "" is Cancel
    std::unique_ptr<frmMain> m_window;

    QTableView *view() const { return m_window->findChild<QTableView *>("lvwFiles"); }
    void exportList(const QString &answer)
    {
        m_answers << answer;
        ContextMenu::choose(view(), 0, "Export List...");
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_catalogue.exec(
            "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, Archive, Serial) "
            "VALUES ('/media/cd', 'plain.txt', '1,234,567', '2003-01-02', '2003-01-02', "
            "'2003-01-02 10:20:30', 'DATA1', '1234-ABCD'), "
            "('/media/cd/a,b', 'say \"hi\", twice.txt', '', NULL, NULL, NULL, 'DATA1', "
            "'1234-ABCD'), "
            "('/media/cd', 'two' || char(10) || 'lines' || char(13) || char(10) || '.txt', "
            "'12', NULL, NULL, NULL, 'My Disc', ''), "
            "('/media/cd', ' Café Überblick ', '999', NULL, NULL, NULL, NULL, NULL)");
        Services services = testServices(m_catalogue.folder());
        services.saveFileName = [this](QWidget *, const QString &title, const QString &proposed) {
            m_proposed << title + "|" + proposed;
            return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        };
        m_window = std::make_unique<frmMain>(services);
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        exportList(QString()); // cancelled: no box, no file
        QCOMPARE(m_proposed, QStringList{"Export List|" + QDir::homePath() + "/catalogue.csv"});
    }

    void exportedInTheOrderShown_data()
    {
        QTest::addColumn<int>("sortClicks"); // on the Size header, more of them each row
        QTest::addColumn<QList<int>>("order");

        QTest::newRow("as loaded") << 0 << QList<int>{0, 1, 2, 3};
        // The first click orders from the largest, the next from the smallest (a size-less row
        // first).
        QTest::newRow("by size, descending") << 1 << QList<int>{0, 3, 2, 1};
        QTest::newRow("by size, ascending") << 1 << QList<int>{1, 2, 3, 0};
    }
    void exportedInTheOrderShown()
    {
        QFETCH(int, sortClicks);
        QFETCH(QList<int>, order);

        const QStringList rows = {
            "/media/"
            "cd|plain.txt|1234567||2003-01-02|2003-01-02|2003-01-02T10:20:30|DATA1|1234-ABCD",
            "/media/cd/a,b|say \"hi\", twice.txt|0|||||DATA1|1234-ABCD",
            "/media/cd|two\nlines\r\n.txt|12|||||My Disc|", "/media/cd| Café Überblick |999||||||"};
        QStringList expected = {"Path|File|Size|Type|Created|Accessed|Modified|Archive|Serial"};
        for (int row : order)
            expected << rows[row];
        for (int i = 0; i < sortClicks; ++i)
            m_window->lvwFiles_ColumnClick(4); // Size
        const QString file = m_out.filePath(QString("sorted %1.csv").arg(sortClicks));
        exportList(file);
        QCOMPARE(readBack(file), expected);
        QCOMPARE(m_window->mousePointer(), int(vbDefault));
    }

    void cancelAndFailures()
    {
        // Proposed: the folder chosen last, even when the export failed.
        QueuedBoxes boxes;
        exportList(m_out.filePath("first.csv"));
        m_proposed.clear();
        exportList(QString());
        const QString missing = m_out.filePath("gone/list.csv");
        boxes.queueAnswer(vbOK);
        exportList(missing);
        exportList(QString());
        QCOMPARE(m_proposed, QStringList({"Export List|" + m_out.path() + "/catalogue.csv",
                                          "Export List|" + m_out.path() + "/catalogue.csv",
                                          "Export List|" + m_out.path() + "/gone/catalogue.csv"}));
        QCOMPARE(boxes.messages().size(), 1);
        QCOMPARE(boxes.messages()[0].text,
                 "An error has occurred.\r\nError: 76\r\nDescription: Path not found");
        QVERIFY(!QFileInfo::exists(m_out.filePath("gone")));

        // A disc that fills up while writing: the earlier file stays as it was, nothing beside it.
        QTemporaryDir small;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", small.path()}))
            QSKIP("needs a small file system of its own (mount, as root)");
        const QString file = small.filePath("list.csv");
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        for (int i = 0; i < 200; ++i) // more rows than the file system can take
            m_catalogue.addRow("/media/cd/a folder with a long name", QString("file %1").arg(i));
        m_window->RefreshLv();
        boxes.queueAnswer(vbOK);
        exportList(file);
        const QStringList left = QDir(small.path()).entryList(QDir::Files | QDir::Hidden);
        QFile kept(file);
        const QByteArray text = kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray();
        kept.close();
        QProcess::execute("umount", {small.path()});
        QCOMPARE(boxes.messages().size(), 2);
        QCOMPARE(boxes.messages()[1].text,
                 "An error has occurred.\r\nError: 61\r\nDescription: Disk full");
        QCOMPARE(left, QStringList{"list.csv"});
        QCOMPARE(text, "earlier");
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
