#pragma once

#include "window/main/services.h"

// The system's services for a main window under test, on the catalogue in folder, with an end
// of the process that only counts how often it was asked for. The layout windows keep is
// forgotten: a window made with these services starts as designed.
Services testServices(const QString &folder, int *ended = nullptr);
