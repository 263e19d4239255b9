#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Describes the computer for the results log from the kernel's /proc files
// and /etc/os-release. The parsers take file contents so that they can be
// checked without the files; the readers report a file they cannot read in
// warnings() and describe the item as unknown. Lives for one run.
class SystemInfo {
public:
    QString memory();
    QString operatingSystem();
    QString processor();
    const QStringList& warnings() const { return m_warnings; }

    static QString memoryFrom(const QByteArray& meminfo);
    static QString operatingSystemFrom(const QByteArray& osRelease, const QString& kernel);
    static QString processorFrom(const QByteArray& cpuinfo);

private:
    QByteArray read(const QString& path);

    QStringList m_warnings;
};
