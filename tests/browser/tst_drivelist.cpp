// SPDX-License-Identifier: MIT
#include "browser/drivelist.h"

#include <QDir>
#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(DriveType)

class TestDriveList final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classify_data();
    void classify();
    void tags_data();
    void tags();
    void nodesSkipWorkFolderVolumeAndPlumbing();
    void nodesAreInRootOrder();
    void remountedRootIsOneDrive();
    void workFolderVolumeIsKnownToQStorageInfo();
};

void TestDriveList::classify_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<DriveType>("expected");
    QTest::newRow("ext4 root") << "/" << QByteArray("ext4") << QByteArray("/dev/sda2") << DriveType::Fixed;
    QTest::newRow("container overlay") << "/" << QByteArray("overlay") << QByteArray("overlay") << DriveType::Fixed;
    QTest::newRow("home on btrfs") << "/home" << QByteArray("btrfs") << QByteArray("/dev/sda3") << DriveType::Fixed;
    QTest::newRow("usb stick") << "/media/taro/STICK" << QByteArray("vfat") << QByteArray("/dev/sdb1")
                               << DriveType::Removable;
    QTest::newRow("card under run media")
        << "/run/media/taro/CARD" << QByteArray("exfat") << QByteArray("/dev/mmcblk0p1") << DriveType::Removable;
    QTest::newRow("mediaplayer is not media")
        << "/mediaplayer" << QByteArray("ext4") << QByteArray("/dev/sdc1") << DriveType::Fixed;
    QTest::newRow("nfs") << "/net/share" << QByteArray("nfs4") << QByteArray("srv:/share") << DriveType::Remote;
    QTest::newRow("samba") << "/mnt/smb" << QByteArray("cifs") << QByteArray("//srv/docs") << DriveType::Remote;
    QTest::newRow("sshfs") << "/mnt/ssh" << QByteArray("fuse.sshfs") << QByteArray("u@h:") << DriveType::Remote;
    QTest::newRow("dvd") << "/media/taro/DVD" << QByteArray("iso9660") << QByteArray("/dev/sr0") << DriveType::CdRom;
    QTest::newRow("blu-ray udf") << "/media/cdrom" << QByteArray("udf") << QByteArray("/dev/sr1") << DriveType::CdRom;
    QTest::newRow("tmp in ram") << "/tmp" << QByteArray("tmpfs") << QByteArray("tmpfs") << DriveType::RamDisk;
    QTest::newRow("ramfs") << "/mnt/ram" << QByteArray("ramfs") << QByteArray("none") << DriveType::RamDisk;
    QTest::newRow("proc") << "/proc" << QByteArray("proc") << QByteArray("proc") << DriveType::Pseudo;
    QTest::newRow("sysfs") << "/sys" << QByteArray("sysfs") << QByteArray("sysfs") << DriveType::Pseudo;
    QTest::newRow("cgroup2") << "/sys/fs/cgroup" << QByteArray("cgroup2") << QByteArray("cgroup2") << DriveType::Pseudo;
    QTest::newRow("shared memory") << "/dev/shm" << QByteArray("tmpfs") << QByteArray("shm") << DriveType::Pseudo;
    QTest::newRow("run") << "/run" << QByteArray("tmpfs") << QByteArray("tmpfs") << DriveType::Pseudo;
    QTest::newRow("user runtime") << "/run/user/1000" << QByteArray("tmpfs") << QByteArray("tmpfs")
                                  << DriveType::Pseudo;
    QTest::newRow("bind-mounted file") << "/etc/hosts" << QByteArray("ext4") << QByteArray("/dev/sda2")
                                       << DriveType::Fixed;
    QTest::newRow("type unknown") << "/mnt/x" << QByteArray() << QByteArray() << DriveType::Unknown;
}

void TestDriveList::classify()
{
    QFETCH(QString, root);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, device);
    QFETCH(DriveType, expected);
    QCOMPARE(classifyVolume({ root, type, device, true }), expected);
}

void TestDriveList::tags_data()
{
    QTest::addColumn<DriveType>("type");
    QTest::addColumn<QString>("tag");
    QTest::newRow("unknown") << DriveType::Unknown << "[:\\]";
    QTest::newRow("removable") << DriveType::Removable << "[:\\DRIVE_REMOVABLE]";
    QTest::newRow("fixed") << DriveType::Fixed << "[:\\DRIVE_FIXED]";
    QTest::newRow("remote") << DriveType::Remote << "[:\\DRIVE_REMOTE]";
    QTest::newRow("cdrom") << DriveType::CdRom << "[:\\DRIVE_CDROM]";
    QTest::newRow("ramdisk") << DriveType::RamDisk << "[:\\DRIVE_RAMDISK]";
    QTest::newRow("no root") << DriveType::NoRoot << "";
    QTest::newRow("pseudo") << DriveType::Pseudo << "";
}

void TestDriveList::tags()
{
    QFETCH(DriveType, type);
    QFETCH(QString, tag);
    QCOMPARE(driveTag(type), tag);
}

void TestDriveList::nodesSkipWorkFolderVolumeAndPlumbing()
{
    const QList<MountedVolume> volumes {
        { "/", "ext4", "/dev/sda2", true },          { "/home", "ext4", "/dev/sda3", true },
        { "/proc", "proc", "proc", true },           { "/media/taro/STICK", "vfat", "/dev/sdb1", true },
        { "/mnt/gone", "ext4", "/dev/sdd1", false },
    };
    QCOMPARE(driveNodeTexts(volumes, "/home"),
             (QStringList { "/[:\\DRIVE_FIXED]", "/media/taro/STICK[:\\DRIVE_REMOVABLE]" }));
    QCOMPARE(driveNodeTexts(volumes, "/"),
             (QStringList { "/home[:\\DRIVE_FIXED]", "/media/taro/STICK[:\\DRIVE_REMOVABLE]" }));
}

void TestDriveList::nodesAreInRootOrder()
{
    const QList<MountedVolume> volumes {
        { "/tmp", "tmpfs", "tmpfs", true },
        { "/media/cdrom", "iso9660", "/dev/sr0", true },
        { "/", "ext4", "/dev/sda2", true },
        { "/mnt/share", "nfs", "srv:/x", true },
    };
    QCOMPARE(driveNodeTexts(volumes, "/work-volume"),
             (QStringList { "/[:\\DRIVE_FIXED]", "/media/cdrom[:\\DRIVE_CDROM]", "/mnt/share[:\\DRIVE_REMOTE]",
                            "/tmp[:\\DRIVE_RAMDISK]" }));
}

void TestDriveList::remountedRootIsOneDrive()
{
    const QList<MountedVolume> volumes {
        { "/mnt/x", "ext4", "/dev/sdb1", true },
        { "/mnt/x", "nfs", "srv:/x", true },
    };
    QCOMPARE(driveNodeTexts(volumes, "/"), QStringList { "/mnt/x[:\\DRIVE_REMOTE]" });
}

void TestDriveList::workFolderVolumeIsKnownToQStorageInfo()
{
    // The work folder's volume is found among the mounted ones, so the skip can match at all.
    const QString root = volumeRootOf(QDir::tempPath());
    QVERIFY(!root.isEmpty());
    const QList<MountedVolume> volumes = mountedVolumes();
    QVERIFY(std::any_of(volumes.begin(), volumes.end(), [&](const MountedVolume& v) { return v.rootPath == root; }));
}

QTEST_GUILESS_MAIN(TestDriveList)
#include "tst_drivelist.moc"
