#pragma once

#include "contract/FileError.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <optional>

// Writing the program's text files: one item per line, every line written
// with CR LF, each file replaced whole. LineReader reads them back. Files are
// addressed by bare names in the current directory.
namespace TextFile {

// True only for a normal file: a directory, a FIFO, a device or a dangling
// link is not found. A link to a normal file is found.
bool NormalFileExists(const QString& name);

// The bytes of the lines, each followed by CR LF.
QByteArray JoinLines(const QList<QByteArray>& lines);

// Creates the file anew with these bytes, atomically: either the whole new
// content is in place or the previous file is untouched. A file this user may
// not write is refused, not replaced; a replaced file keeps its permission
// bits, and its owner and group where the system allows. A symbolic link is
// written through to its final target, which is created when missing, and
// stays a link. The temporary file, ".<name>.vykon3d-<host>-<pid>.tmp" beside
// the target, is gone when this returns; those that killed processes of this
// computer left for the same file are removed after a successful replace.
std::optional<FileError> Replace(const QString& name, const QByteArray& bytes);

} // namespace TextFile
