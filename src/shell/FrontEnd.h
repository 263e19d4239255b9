#pragma once

class FolderLock;

// The program's start: takes the working folder's lock and creates and shows
// the main window. Called once, after the QApplication exists; main() then
// runs the event loop and keeps the lock until the process ends.
namespace FrontEnd {
// False, after telling the user, when another front end or a test engine runs
// in the current folder, or its lock file is not one (a folder, a link, ...):
// then nothing has been written and the program should end. A folder where
// this user cannot create the lock file lets the program start unlocked.
bool Start(FolderLock& lock);
} // namespace FrontEnd
