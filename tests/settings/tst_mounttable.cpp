// Which mounted file systems the scene picker offers as drives.
#include "settings/MountTable.h"

#include <QTest>

namespace {
QStringList g_asked;
bool directoryExceptHosts(const QString& path) {
    g_asked.append(path);
    return path != QLatin1String("/etc/hosts");
}
} // namespace

class TestMountTable : public QObject {
    Q_OBJECT

private slots:
    void drivesSkipPseudoFileSystemsRootFirst() {
        const QByteArray table = "proc /proc proc rw 0 0\n"
                                 "sysfs /sys sysfs rw 0 0\n"
                                 "/dev/sdb1 /media/usb\\040disk vfat rw 0 0\n"
                                 "/dev/sda2 /home ext4 rw 0 0\n"
                                 "tmpfs /run tmpfs rw 0 0\n"
                                 "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                                 "tmpfs /dev/shm tmpfs rw 0 0\n"
                                 "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                                 "/dev/sda1 / ext4 rw 0 0\n"
                                 "tmpfs /tmp tmpfs rw 0 0\n"
                                 "server:/export /mnt/net nfs4 rw 0 0\n"
                                 "/dev/sda1 /etc/hosts ext4 rw 0 0\n"
                                 "/dev/sda2 /home ext4 rw 0 0\n"
                                 "devpts /dev/pts devpts rw 0 0\n"
                                 "broken line\n";
        g_asked.clear();
        const QStringList drives = MountTable::Drives(MountTable::Parse(table), directoryExceptHosts);
        QCOMPARE(drives, (QStringList{"/", "/home", "/media/usb disk", "/mnt/net", "/tmp"}));
        // A network file system is never looked at: its server may not answer.
        QVERIFY(!g_asked.contains(QStringLiteral("/mnt/net")));
        QVERIFY(g_asked.contains(QStringLiteral("/etc/hosts")));
    }

    void rootIsOfferedEvenWhenTheTableIsUnreadable() {
        QCOMPARE(MountTable::Drives({}, directoryExceptHosts), QStringList{"/"});
    }

    void driveOfAPathIsTheLongestMountAbove() {
        const QStringList drives = {"/", "/home", "/home/user/data", "/tmp"};
        QCOMPARE(MountTable::DriveOf("/home/user/data/scenes", drives), QStringLiteral("/home/user/data"));
        QCOMPARE(MountTable::DriveOf("/home/user", drives), QStringLiteral("/home"));
        QCOMPARE(MountTable::DriveOf("/homework", drives), QStringLiteral("/"));
        QCOMPARE(MountTable::DriveOf("/tmp", drives), QStringLiteral("/tmp"));
    }

    void thisMachineOffersItsRoot() { QCOMPARE(MountTable::CurrentDrives().value(0), QStringLiteral("/")); }
};

QTEST_APPLESS_MAIN(TestMountTable)
#include "tst_mounttable.moc"
