#include "app/basmain.h"
#include "app/guiicon.h"
#include "platform/endsignals.h"
#include "window/main/frmmain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumark"));
    // Every window, the splash and the about box included, bears the application icon.
    QApplication::setWindowIcon(applicationIcon());

    // SIGTERM, SIGINT and SIGHUP end the program as Exit does, from the event loop. One that
    // comes before the main window is up ends it as soon as the window is there.
    std::unique_ptr<frmMain> window;
    bool ended = false;
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::received, [&window, &ended](int) {
        if (window)
            window->cmdExit_Click();
        else
            ended = true;
    });

    Services services = Services::system();
    services.fillBehind = true; // the window is there at once, its rows come in behind it
    window = basMain::Main(services);
    if (!window)
        return 1;
    if (ended)
        window->cmdExit_Click();
    return app.exec();
}
