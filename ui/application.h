#pragma once
// Start-up of the window program. Plain C++ on purpose: main() needs nothing of Qt's.

namespace quorvane::ui {

// Creates the application and the main window and runs the event loop; returns the exit status.
// Without a display it says how to run under xvfb-run and returns 1.
int runApplication(int argc, char** argv);

} // namespace quorvane::ui
