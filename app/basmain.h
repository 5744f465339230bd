#pragma once

#include "window/main/services.h"

#include <memory>

class frmMain;

// The start-up sequence: the splash first, then the main window on the opened catalogue.
namespace basMain {

// Shows the splash modally, then loads and shows the main window. Returns no window when the
// catalogue could not be opened (the error has been reported; the program ends).
std::unique_ptr<frmMain> Main(const Services &services = Services::system());

// Loads the main window without showing it; reports a failure and returns no window.
std::unique_ptr<frmMain> LoadMainWindow(const Services &services = Services::system());

} // namespace basMain
