#include "app/basmain.h"
#include "app/guiicon.h"
#include "window/frmmain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumark"));
    // Every window, the splash and the about box included, bears the application icon.
    QApplication::setWindowIcon(applicationIcon());

    std::unique_ptr<frmMain> window = basMain::Main();
    if (!window)
        return 1;
    return app.exec();
}
