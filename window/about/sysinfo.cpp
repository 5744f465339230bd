#include "window/about/sysinfo.h"

#include "platform/programlauncher.h"
#include "window/boxes/messagebox.h"

#include <QCoreApplication>

void StartSysInfo(ProgramLauncher &launcher)
{
    const QString program = systemInformationProgram();
    if (program.isEmpty() || !launcher.start(program))
        showBox(QCoreApplication::translate("frmAbout",
                                            "System Information Is Unavailable At This Time"),
                QString());
}
