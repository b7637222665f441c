// SPDX-License-Identifier: MIT
#include "drivelist.h"

#include <QStorageInfo>

#include <algorithm>

namespace {
using namespace Qt::StringLiterals;

bool isOneOf(const QByteArray& type, std::initializer_list<const char*> types)
{
    return std::any_of(types.begin(), types.end(), [&](const char* t) { return type == t; });
}

bool isUnder(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + u'/');
}

bool isPseudoType(const QByteArray& type)
{
    return isOneOf(type,
                   { "proc",    "sysfs",   "devtmpfs",        "devpts",      "cgroup",    "cgroup2",   "securityfs",
                     "debugfs", "tracefs", "configfs",        "fusectl",     "mqueue",    "hugetlbfs", "pstore",
                     "bpf",     "autofs",  "binfmt_misc",     "efivarfs",    "selinuxfs", "nsfs",      "rpc_pipefs",
                     "nfsd",    "rootfs",  "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs" });
}

// Where the system keeps its own state; a RAM disk there is plumbing, not a place for documents.
bool isSystemPlace(const QString& root)
{
    return isUnder(root, u"/proc"_s) || isUnder(root, u"/sys"_s) || isUnder(root, u"/dev"_s) || root == u"/run"_s ||
        isUnder(root, u"/run/lock"_s) || isUnder(root, u"/run/user"_s) || isUnder(root, u"/run/credentials"_s) ||
        isUnder(root, u"/var/lib/docker"_s);
}

bool isRemoteType(const QByteArray& type)
{
    return isOneOf(type,
                   { "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs", "fuse.sshfs",
                     "fuse.rclone", "fuse.davfs", "davfs", "fuse.glusterfs", "fuse.s3fs" });
}
} // namespace

DriveType classifyVolume(const MountedVolume& volume)
{
    if (!volume.valid || volume.rootPath.isEmpty())
        return DriveType::NoRoot;
    const QByteArray& type = volume.fileSystemType;
    if (isPseudoType(type))
        return DriveType::Pseudo;
    if (isSystemPlace(volume.rootPath))
        return DriveType::Pseudo;
    if (type.isEmpty())
        return DriveType::Unknown;
    if (isRemoteType(type))
        return DriveType::Remote;
    if (isOneOf(type, { "iso9660", "udf" }) || volume.device.startsWith("/dev/sr"))
        return DriveType::CdRom;
    if (isOneOf(type, { "tmpfs", "ramfs" }))
        return DriveType::RamDisk;
    // The desktop mounts removable media (sticks, cards, phones) below these folders.
    if (isUnder(volume.rootPath, u"/media"_s) || isUnder(volume.rootPath, u"/run/media"_s))
        return DriveType::Removable;
    return DriveType::Fixed;
}

QString driveTag(DriveType type)
{
    switch (type) {
    case DriveType::Unknown:
        return u"[:\\]"_s;
    case DriveType::Removable:
        return u"[:\\DRIVE_REMOVABLE]"_s;
    case DriveType::Fixed:
        return u"[:\\DRIVE_FIXED]"_s;
    case DriveType::Remote:
        return u"[:\\DRIVE_REMOTE]"_s;
    case DriveType::CdRom:
        return u"[:\\DRIVE_CDROM]"_s;
    case DriveType::RamDisk:
        return u"[:\\DRIVE_RAMDISK]"_s;
    case DriveType::NoRoot:
    case DriveType::Pseudo:
        break;
    }
    return {};
}

QStringList driveNodeTexts(const QList<MountedVolume>& volumes, const QString& workFolderRoot)
{
    QList<MountedVolume> listed;
    for (const MountedVolume& volume : volumes) {
        if (volume.rootPath == workFolderRoot)
            continue;
        const DriveType type = classifyVolume(volume);
        if (type == DriveType::NoRoot || type == DriveType::Pseudo)
            continue;
        // A root mounted over twice is one drive; the later mount is the one in effect.
        const auto same = std::find_if(listed.begin(), listed.end(),
                                       [&](const MountedVolume& v) { return v.rootPath == volume.rootPath; });
        if (same != listed.end())
            *same = volume;
        else
            listed.append(volume);
    }
    std::sort(listed.begin(), listed.end(),
              [](const MountedVolume& a, const MountedVolume& b) { return a.rootPath < b.rootPath; });
    QStringList texts;
    for (const MountedVolume& volume : listed)
        texts.append(volume.rootPath + driveTag(classifyVolume(volume)));
    return texts;
}

QList<MountedVolume> mountedVolumes()
{
    QList<MountedVolume> volumes;
    const QList<QStorageInfo> mounted = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& storage : mounted)
        volumes.append({ storage.rootPath(), storage.fileSystemType(), storage.device(), storage.isValid() });
    return volumes;
}

QString volumeRootOf(const QString& path)
{
    return QStorageInfo(path).rootPath();
}
