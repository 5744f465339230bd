#pragma once

class ProgramLauncher;

// Starts the system-information program through launcher, or tells the user that it is
// unavailable (none found, or it cannot be started).
void StartSysInfo(ProgramLauncher &launcher);
