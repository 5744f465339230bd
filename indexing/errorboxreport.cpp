#include "indexing/errorboxreport.h"

#include "catalogue/errorbox.h"
#include "platform/platformerror.h"

void ErrorBoxReport::folderFailed(const PlatformError &error)
{
    ShowErrorBox(error.number(), error.description());
}

void ErrorBoxReport::runFailed(const PlatformError &error)
{
    ShowErrorBox(error.number(), error.description());
}
