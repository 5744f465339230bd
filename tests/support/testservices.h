#pragma once

#include "window/services.h"

// The system's services for a main window under test, on the catalogue in folder, with an end
// of the process that only counts how often it was asked for.
Services testServices(const QString &folder, int *ended = nullptr);
