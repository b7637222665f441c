// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/** The drive types the tree names, after the platform's drive-type codes. */
enum class DriveType {
    Unknown, // the type cannot be determined
    NoRoot, // nothing is mounted there: no node
    Removable,
    Fixed,
    Remote,
    CdRom,
    RamDisk,
    Pseudo, // kernel and system plumbing, never listed
};

/** One mounted file system as the system reports it. */
struct MountedVolume
{
    QString rootPath;
    QByteArray fileSystemType;
    QByteArray device;
    bool valid = true;
};

/** Classifies a mounted file system by its type, device and mount point. */
DriveType classifyVolume(const MountedVolume& volume);

/** The tag appended to a drive's root, e.g. "[:\DRIVE_CDROM]"; empty for types without a node. */
QString driveTag(DriveType type);

/**
 * The drive nodes below the heading: every listable volume's root followed by its tag, in the
 * order of the roots, leaving out the volume mounted at @p workFolderRoot.
 */
QStringList driveNodeTexts(const QList<MountedVolume>& volumes, const QString& workFolderRoot);

/** The file systems mounted now. */
QList<MountedVolume> mountedVolumes();

/** The root of the file system that holds @p path. */
QString volumeRootOf(const QString& path);
