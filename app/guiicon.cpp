#include "app/guiicon.h"

// The resources live in a static library: nothing would pull them into the program unless their
// initialiser is referenced, which Q_INIT_RESOURCE does (outside any namespace).
static void initResourcesOnce()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}

void initArtwork()
{
    initResourcesOnce();
}

QIcon applicationIcon()
{
    initArtwork();
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/artwork/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}
