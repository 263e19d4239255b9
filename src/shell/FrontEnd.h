#pragma once

class FolderLock;

// The program's start: takes the working folder's lock and creates and shows
// the main window. Called once, after the QApplication exists; main() then
// runs the event loop and keeps the lock until the process ends.
namespace FrontEnd {
// False, after telling the user, when another front end runs in the current
// folder: then nothing has been written and the program should end.
bool Start(FolderLock& lock);
} // namespace FrontEnd
