#include "platform/gioshell.h"
#include "support/loadedcatalogue.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "window/list/launcher.h"

#include <QtTest>

Q_DECLARE_METATYPE(OpenResult)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Opening through real GIO with a private association database; its program records its argument.
class TestGioShell : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;
    QString docs() const { return m_root.filePath("disc/Docs"); }
    QString recorderOutput() const { return m_root.filePath("recorder.sh.out"); }
    QByteArray recorded() const // the path the program was given, its own bytes
    {
        QFile file(recorderOutput());
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    }

    QString write(const QString &relative, const QByteArray &content, bool executable = false)
    {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
            !file.setPermissions(file.permissions() |
                                 (executable ? QFile::ExeOwner : QFile::Permissions())))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Before GIO's first use, which reads these once.
        qputenv("XDG_DATA_HOME", m_root.filePath("home").toUtf8());
        qputenv("XDG_DATA_DIRS", m_root.filePath("sys").toUtf8());
        qputenv("XDG_CONFIG_HOME", m_root.filePath("config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", m_root.filePath("sys").toUtf8());
        qputenv("GIO_USE_VFS", "local");
        qunsetenv("XDG_CURRENT_DESKTOP");

        write("home/mime/packages/vellumark-test.xml",
              "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "<mime-type type=\"application/x-vmtest\"><glob pattern=\"*.vmtest\"/></mime-type>\n"
              "<mime-type type=\"application/x-vmnone\"><glob pattern=\"*.vmnone\"/></mime-type>\n"
              "<mime-type type=\"application/x-vmterm\"><glob pattern=\"*.vmterm\"/></mime-type>\n"
              "</mime-info>\n");
        QCOMPARE(QProcess::execute("update-mime-database", {m_root.filePath("home/mime")}), 0);
        const QString recorder =
            write("recorder.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$0.out\"\n", true);
        write("home/applications/vellumark-recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder.toUtf8() +
                  " %f\nMimeType=application/x-vmtest;\n");
        // An application that runs only in a terminal.
        write("home/applications/vellumark-terminal.desktop",
              "[Desktop Entry]\nType=Application\nName=Terminal only\nTerminal=true\nExec=" +
                  recorder.toUtf8() + " %f\nMimeType=application/x-vmterm;\n");
        write("config/mimeapps.list",
              "[Default Applications]\napplication/x-vmtest=vellumark-recorder.desktop\n"
              "application/x-vmterm=vellumark-terminal.desktop\n");

        write("disc/Docs/letter.vmtest", "hello");
        write("disc/Docs/console.vmterm", "needs a terminal");
        write("disc/Docs/notes.vmnone", "no application");
        write("disc/Docs/broken", "\177ELF garbage, no image", true);
        // Every file of a disc without Rock Ridge carries the execute bit.
        write("disc/Docs/marked.vmnone", "no application either", true);
        write("disc/Docs/script.vmnone", "#!/bin/sh\nexit 0\n", true);
    }

    void open_data()
    {
        QTest::addColumn<QString>("file"); // in the disc's Docs folder
        QTest::addColumn<OpenResult>("result");
        QTest::newRow("missing file") << "/gone.vmtest" << OpenResult::FileMissing;
        QTest::newRow("missing folder") << "/Nowhere/a.vmtest" << OpenResult::FolderMissing;
        QTest::newRow("program that cannot run") << "/broken" << OpenResult::BadFormat;
        QTest::newRow("type without application") << "/notes.vmnone" << OpenResult::NoApplication;
        QTest::newRow("executable bit, no application")
            << "/marked.vmnone" << OpenResult::NoApplication;
        QTest::newRow("script, no application") << "/script.vmnone" << OpenResult::NoApplication;
        // The application takes the file but cannot be started (no terminal for a
        // terminal-only one): the nearest of the described failures, never silence.
        QTest::newRow("application missing") << "/console.vmterm" << OpenResult::ApplicationMissing;
    }

    void open()
    {
        QFETCH(QString, file);
        QFETCH(OpenResult, result);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_root.filePath("home").toUtf8()); // no terminal anywhere
        const OpenResult opened = GioShell().open(QFile::encodeName(docs() + file));
        qputenv("PATH", path);
        QCOMPARE(opened, result);
    }

    // A script with the execute bit goes to the application of its type; it is not run.
    void executableScriptIsOpenedNotRun()
    {
        const QString ran = m_root.filePath("script-ran");
        const QString script =
            write("disc/Docs/setup.vmtest", "#!/bin/sh\ntouch '" + ran.toUtf8() + "'\n", true);
        QFile::remove(recorderOutput());
        QCOMPARE(GioShell().open(QFile::encodeName(script)), OpenResult::Opened);
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), QFile::encodeName(script), 5000);
        QVERIFY(!QFile::exists(ran));
    }

    // From the list, Yes opens the selected file with the associated program, by the bytes it
    // was catalogued with.
    void yesOpensTheSelectedFile_data()
    {
        QTest::addColumn<QByteArray>("folder"); // under the disc, as catalogued
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("folder ending in /") << QByteArray("Docs/") << QByteArray("letter.vmtest");
        QTest::newRow("names not UTF-8")
            << QByteArray("caf\xe9") << QByteArray("bad\xff\xfe.vmtest");
    }
    void yesOpensTheSelectedFile()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, name);
        const QByteArray disc = QFile::encodeName(m_root.filePath("disc/"));
        const QByteArray file = disc + folder + (folder.endsWith('/') ? "" : "/") + name;
        ::mkdir((disc + folder).constData(), 0755);
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        QVERIFY(fd >= 0 && ::write(fd, "hello", 5) == 5);
        ::close(fd);
        CatalogueFixture catalogue;
        catalogue.addRow(docs(), "notes.vmnone");
        catalogue.exec(QStringLiteral("INSERT INTO Files (Path, File) VALUES (CAST(X'%1' AS "
                                      "TEXT), CAST(X'%2' AS TEXT))")
                           .arg(QString::fromLatin1((disc + folder).toHex()),
                                QString::fromLatin1(name.toHex())));
        LoadedCatalogue loaded;
        loaded.Form_Load(catalogue.folder());
        TestCatalogue::select(loaded.list, 1);
        GioShell shell;
        QFile::remove(recorderOutput());
        QueuedBoxes boxes;
        boxes.queueAnswer(BoxAnswer::Yes);
        Launcher(loaded.list, shell).cmdExecuteFile_Click();

        QTRY_COMPARE_WITH_TIMEOUT(recorded(), file, 5000);
        QCOMPARE(boxes.messages().size(), 1); // the question, no error
    }
};

QTEST_GUILESS_MAIN(TestGioShell)
#include "tst_gioshell.moc"
