#include "window/main/mainlayout.h"

void MainLayout::Form_Resize(float scaleWidth, float scaleHeight)
{
    lblStatus.top = scaleHeight - lblStatus.height;
    scaleHeight -= lblStatus.height;
    const float width = scaleWidth - cmdIndexDirectory.width - 360.0f;
    if (width >= 0.0f)
        lvwFiles.width = width;
    const float height = scaleHeight - 240.0f;
    if (height >= 0.0f)
        lvwFiles.height = height;
    cmdAbout.top = scaleHeight - cmdExit.height - cmdAbout.height - 240.0f;
    cmdExit.top = scaleHeight - cmdAbout.height - 120.0f;
    lblStatus.width = lvwFiles.width;
}
