#include "app/basmain.h"

#include "app/guiicon.h"
#include "platform/platformerror.h"
#include "window/main/frmmain.h"
#include "window/about/frmsplash.h"
#include "window/boxes/messagebox.h"

namespace basMain {

std::unique_ptr<frmMain> Main(const Services &services)
{
    initArtwork();
    {
        frmSplash splash;
        splash.exec();
    }
    std::unique_ptr<frmMain> window = LoadMainWindow(services);
    if (window)
        window->show();
    return window;
}

std::unique_ptr<frmMain> LoadMainWindow(const Services &services)
{
    auto window = std::make_unique<frmMain>(services);
    try {
        window->Form_Load();
    } catch (const PlatformError &error) {
        reportUnhandledError(error.number(), error.description());
        return nullptr;
    }
    return window;
}

} // namespace basMain
