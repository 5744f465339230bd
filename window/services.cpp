#include "window/services.h"

#include "platform/app.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mountedmedia.h"
#include "platform/programlauncher.h"
#include "platform/shellexecute.h"
#include "platform/volumequery.h"

#include <cstdlib>

Services Services::system()
{
    static DetachedLauncher launcher;
    return {App::Path(),
            &systemShell(),
            &launcher,
            nullptr,
            &systemVolumeQuery(),
            &systemMountedMedia(),
            &systemFolderLister(),
            &systemFileMetadataReader(),
            [] { std::_Exit(0); }};
}
