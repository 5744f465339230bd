#include "app/basmain.h"

#include "app/frmsplash.h"
#include "platform/dialogs.h"
#include "platform/platformerror.h"
#include "window/frmmain.h"

namespace basMain {

std::unique_ptr<frmMain> Main()
{
    {
        frmSplash splash;
        splash.exec();
    }
    std::unique_ptr<frmMain> window = LoadMainWindow();
    if (window)
        window->show();
    return window;
}

std::unique_ptr<frmMain> LoadMainWindow()
{
    auto window = std::make_unique<frmMain>();
    try {
        window->Form_Load();
    } catch (const PlatformError &error) {
        reportUnhandledError(error.number(), error.description());
        return nullptr;
    }
    return window;
}

} // namespace basMain
