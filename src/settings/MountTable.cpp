#include "MountTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

QString unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && value < 256) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += c;
    }
    return QFile::decodeName(out);
}

bool isUnder(const QString& path, const QString& directory) {
    return path == directory || path.startsWith(directory + QLatin1Char('/'));
}

} // namespace

namespace MountTable {

QList<Mount> Parse(const QByteArray& table) {
    QList<Mount> mounts;
    for (const QByteArray& line : table.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3) {
            continue;
        }
        mounts.append(
            Mount{unescape(fields.at(0)), unescape(fields.at(1)), QString::fromLatin1(fields.at(2))});
    }
    return mounts;
}

bool IsPseudo(const Mount& mount) {
    static const QSet<QString> pseudoTypes = {
        QStringLiteral("proc"),       QStringLiteral("sysfs"),       QStringLiteral("devpts"),
        QStringLiteral("devtmpfs"),   QStringLiteral("cgroup"),      QStringLiteral("cgroup2"),
        QStringLiteral("securityfs"), QStringLiteral("debugfs"),     QStringLiteral("tracefs"),
        QStringLiteral("pstore"),     QStringLiteral("bpf"),         QStringLiteral("configfs"),
        QStringLiteral("fusectl"),    QStringLiteral("mqueue"),      QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"),
        QStringLiteral("selinuxfs"),  QStringLiteral("rpc_pipefs"),  QStringLiteral("nsfs"),
        QStringLiteral("rootfs"),     QStringLiteral("nfsd"),        QStringLiteral("ramfs"),
    };
    if (pseudoTypes.contains(mount.type)) {
        return true;
    }
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        if (isUnder(mount.mountPoint, QString::fromLatin1(system))) {
            return true;
        }
    }
    return false;
}

bool IsNetwork(const Mount& mount) {
    static const QSet<QString> networkTypes = {
        QStringLiteral("nfs"),  QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"), QStringLiteral("smbfs"),      QStringLiteral("ncpfs"),
        QStringLiteral("9p"),   QStringLiteral("ceph"),       QStringLiteral("glusterfs"),
        QStringLiteral("afs"),  QStringLiteral("fuse.sshfs"), QStringLiteral("davfs"),
    };
    return networkTypes.contains(mount.type) || mount.type.startsWith(QLatin1String("fuse.sshfs"));
}

QStringList Drives(const QList<Mount>& mounts, bool (*isDirectory)(const QString& path)) {
    QStringList drives;
    for (const Mount& mount : mounts) {
        if (!mount.mountPoint.startsWith(QLatin1Char('/')) || drives.contains(mount.mountPoint) ||
            IsPseudo(mount)) {
            continue;
        }
        if (!IsNetwork(mount) && !isDirectory(mount.mountPoint)) {
            continue;
        }
        drives.append(mount.mountPoint);
    }
    std::sort(drives.begin(), drives.end(), [](const QString& a, const QString& b) {
        if (a == QLatin1String("/") || b == QLatin1String("/")) {
            return a == QLatin1String("/") && b != QLatin1String("/");
        }
        return a < b;
    });
    if (drives.isEmpty() || drives.first() != QLatin1String("/")) {
        drives.prepend(QStringLiteral("/"));
    }
    return drives;
}

QStringList CurrentDrives() {
    QFile table(QStringLiteral("/proc/self/mounts"));
    QByteArray bytes;
    if (table.open(QIODevice::ReadOnly)) {
        bytes = table.readAll();
    }
    return Drives(Parse(bytes), [](const QString& path) { return QFileInfo(path).isDir(); });
}

QString DriveOf(const QString& path, const QStringList& drives) {
    QString best = QStringLiteral("/");
    for (const QString& drive : drives) {
        if (drive != QLatin1String("/") && isUnder(path, drive) && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

} // namespace MountTable
