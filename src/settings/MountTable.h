#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The mounted file systems that the scene picker offers as its "drives".
// Read from the kernel's mount table (/proc/self/mounts); pseudo file systems
// (processes, devices, control groups and the like) and everything mounted
// below /proc, /sys, /dev and /run are left out, so are mount points that are
// not directories (single files bound into a container). Network file systems
// are listed without being looked at, so that a server that does not answer
// cannot stall the listing.
namespace MountTable {

struct Mount {
    QString device;
    QString mountPoint;
    QString type;
};

// Parses the lines of a mount table; the octal escapes of blanks, tabs, line
// feeds and backslashes in names are undone.
QList<Mount> Parse(const QByteArray& table);

// True for a file system that holds no user files.
bool IsPseudo(const Mount& mount);
// True for a file system whose server may not answer.
bool IsNetwork(const Mount& mount);

// The mount points worth offering, each once, the root first, then the
// others in name order. isDirectory is asked only for local file systems.
QStringList Drives(const QList<Mount>& mounts, bool (*isDirectory)(const QString& path));

// The drives of this machine.
QStringList CurrentDrives();

// The drive a path lies on: the longest of the drives that is the path or
// one of its parents; "/" when none is.
QString DriveOf(const QString& path, const QStringList& drives);

} // namespace MountTable
