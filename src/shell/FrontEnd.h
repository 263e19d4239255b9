#pragma once

// The program's start: creates and shows the main window. Called once, after
// the QApplication exists; main() then runs the event loop.
namespace FrontEnd {
void Start();
}
