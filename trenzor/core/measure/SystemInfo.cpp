#include "SystemInfo.h"

#include "contract/FileError.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

namespace {

const QString kUnknown = QStringLiteral("neznámý");

// The value of the first "key<sep>value" line of a file.
QString field(const QByteArray& contents, const QString& key, QChar separator) {
    const QStringList lines = QString::fromUtf8(contents).split(u'\n');
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(separator);
        if (at > 0 && line.left(at).trimmed() == key) {
            return line.mid(at + 1).trimmed();
        }
    }
    return {};
}

} // namespace

QByteArray SystemInfo::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_warnings.append(FileError{FileError::Operation::Read, path, file.errorString()}.oneLine());
        return {};
    }
    return file.readAll();
}

QString SystemInfo::memory() {
    return memoryFrom(read(QStringLiteral("/proc/meminfo")));
}

QString SystemInfo::operatingSystem() {
    return operatingSystemFrom(read(QStringLiteral("/etc/os-release")), QSysInfo::kernelVersion());
}

QString SystemInfo::processor() {
    return processorFrom(read(QStringLiteral("/proc/cpuinfo")));
}

QString SystemInfo::memoryFrom(const QByteArray& meminfo) {
    static const QRegularExpression kilobytes(QStringLiteral("^(\\d+)\\s*kB$"));
    const QRegularExpressionMatch match = kilobytes.match(field(meminfo, QStringLiteral("MemTotal"), u':'));
    if (!match.hasMatch()) {
        return kUnknown;
    }
    return QStringLiteral("%1 MB").arg(match.captured(1).toLongLong() / 1024);
}

QString SystemInfo::operatingSystemFrom(const QByteArray& osRelease, const QString& kernel) {
    QString name = field(osRelease, QStringLiteral("PRETTY_NAME"), u'=');
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"')) {
        name = name.mid(1, name.size() - 2);
    }
    if (name.isEmpty()) {
        name = QStringLiteral("Linux");
    }
    return kernel.isEmpty() ? name : QStringLiteral("%1, jádro %2").arg(name, kernel);
}

QString SystemInfo::processorFrom(const QByteArray& cpuinfo) {
    const QStringList lines = QString::fromUtf8(cpuinfo).split(u'\n');
    int cores = 0;
    QString model;
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(u':');
        if (at <= 0) {
            continue;
        }
        const QString key = line.left(at).trimmed();
        if (key == u"processor") {
            ++cores;
        } else if (key == u"model name" && model.isEmpty()) {
            model = line.mid(at + 1).simplified();
        }
    }
    if (model.isEmpty()) {
        model = kUnknown;
    }
    if (cores == 0) {
        return model;
    }
    const QString noun = cores == 1  ? QStringLiteral("jádro")
                         : cores < 5 ? QStringLiteral("jádra")
                                     : QStringLiteral("jader");
    return QStringLiteral("%1, %2 %3").arg(model).arg(cores).arg(noun);
}
