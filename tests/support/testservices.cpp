#include "support/testservices.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// The layout and choices a window keeps go to a folder of this test process's own, not to the
// user's, so that every window under test starts as designed.
struct PrivateSettings
{
    QTemporaryDir folder;
    PrivateSettings() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path())); }
} privateSettings;

} // namespace

Services testServices(const QString &folder, int *ended)
{
    // Each window under test starts as designed, whatever a window before it kept at Exit.
    QSettings(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"))
        .remove(QStringLiteral("layout"));
    Services services = Services::system();
    services.appPath = folder;
    services.offerNewDiscs = false; // a test's mounts are its own business
    services.endProcess = [ended](int) {
        if (ended)
            ++*ended;
    };
    return services;
}
