// SPDX-License-Identifier: MIT
#include "checkedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

namespace {

QByteArray nativeName(const QString& path)
{
    return QFile::encodeName(path);
}

// Extended attributes as name -> value, read from an open file.
bool copyExtendedAttributes(int from, int to)
{
    ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize < 0)
        return errno == ENOTSUP; // a file system without them has nothing to lose
    std::vector<char> names(size_t(listSize) + 1);
    listSize = ::flistxattr(from, names.data(), names.size());
    if (listSize < 0)
        return false;
    std::vector<char> value;
    for (ssize_t at = 0; at < listSize;) {
        const char* name = names.data() + at;
        at += ssize_t(std::strlen(name)) + 1;
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size_t(size) + 1);
        const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(to, name, value.data(), size_t(got), 0) != 0)
            return false;
    }
    return true;
}

} // namespace

WriteError writeErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return WriteError::None;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteError::NoSpace;
    case EIO:
        return WriteError::Io;
    case EACCES:
    case EPERM:
        return WriteError::Access;
    case EROFS:
        return WriteError::ReadOnlyFileSystem;
    default:
        return WriteError::Other;
    }
}

CheckedFile::~CheckedFile()
{
    if (m_temporary)
        discard();
    else if (m_fd >= 0)
        ::close(m_fd);
}

bool CheckedFile::fail()
{
    if (m_error == WriteError::None) {
        m_errno = errno;
        m_error = writeErrorFromErrno(m_errno);
        if (m_error == WriteError::None)
            m_error = WriteError::Other;
    }
    return false;
}

bool CheckedFile::createUnique(const QString& prefix)
{
    QByteArray name = nativeName(prefix) + "XXXXXX";
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail();
    m_name = QFile::decodeName(name);
    m_temporary = true;
    return true;
}

bool CheckedFile::setNewFileMode()
{
    // The umask can only be read by setting it; no other thread of ours creates files.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(m_fd, 0666 & ~mask) == 0 ? true : fail();
}

bool CheckedFile::openExisting(const QString& path)
{
    m_fd = ::open(nativeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (m_fd < 0)
        return fail();
    m_name = path;
    struct stat info
    {
    };
    // Checked on the open file itself: nothing can swap a FIFO in after a look at the name.
    if (::fstat(m_fd, &info) != 0)
        return fail();
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return fail();
    }
    const int flags = ::fcntl(m_fd, F_GETFL);
    return flags >= 0 && ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? true : fail();
}

bool CheckedFile::openForReading(const QString& path)
{
    m_fd = ::open(nativeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return fail();
    m_name = path;
    return true;
}

bool CheckedFile::write(QByteArrayView bytes)
{
    if (m_fd < 0 || m_error != WriteError::None)
        return false;
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(m_fd, data, size_t(left));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        data += done;
        left -= done;
    }
    return true;
}

bool CheckedFile::truncateHere()
{
    const off_t here = ::lseek(m_fd, 0, SEEK_CUR);
    return here >= 0 && ::ftruncate(m_fd, here) == 0 ? true : fail();
}

bool CheckedFile::sync()
{
    if (m_fd < 0 || m_error != WriteError::None)
        return false;
    return ::fsync(m_fd) == 0 ? true : fail();
}

bool CheckedFile::tryLock()
{
    return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

bool CheckedFile::takeAttributesOf(const QString& original)
{
    const int from = ::open(nativeName(original).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (from < 0)
        return fail();
    struct stat info
    {
    };
    bool ok = ::fstat(from, &info) == 0;
    // The owner first: a change of owner clears the set-id bits that the mode then puts back.
    struct stat ours
    {
    };
    ok = ok && ::fstat(m_fd, &ours) == 0;
    if (ok && (ours.st_uid != info.st_uid || ours.st_gid != info.st_gid))
        ok = ::fchown(m_fd, info.st_uid, info.st_gid) == 0;
    ok = ok && ::fchmod(m_fd, info.st_mode & 07777) == 0;
    ok = ok && copyExtendedAttributes(from, m_fd);
    const int saved = errno;
    ::close(from);
    errno = saved;
    return ok ? true : fail();
}

bool CheckedFile::closeChecked()
{
    if (m_fd < 0)
        return m_error == WriteError::None;
    const int fd = m_fd;
    m_fd = -1;
    // close() reports errors of delayed writes on some file systems (NFS): they count too.
    if (::close(fd) != 0 && errno != EINTR)
        return fail();
    return m_error == WriteError::None;
}

bool CheckedFile::replace(const QString& target)
{
    if (!closeChecked())
        return false;
    if (::rename(nativeName(m_name).constData(), nativeName(target).constData()) != 0)
        return fail();
    m_temporary = false;
    return syncFolder(QFileInfo(target).absolutePath()) ? true : fail();
}

bool CheckedFile::keep()
{
    m_temporary = false;
    return closeChecked();
}

void CheckedFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_temporary)
        ::unlink(nativeName(m_name).constData());
    m_temporary = false;
}

bool syncFolder(const QString& folder)
{
    const int fd = ::open(nativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot sync a folder and say so; that is not a failed write.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

QString followLinks(const QString& path)
{
    QString current = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    // The kernel's own limit for a chain of links.
    for (int step = 0; step < 40; ++step) {
        const QByteArray name = nativeName(current);
        struct stat info
        {
        };
        if (::lstat(name.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> target(size_t(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(name.constData(), target.data(), target.size());
        if (length < 0 || size_t(length) >= target.size())
            return {};
        const QString next = QFile::decodeName(QByteArray(target.data(), length));
        current = QDir::cleanPath(QFileInfo(current).absoluteDir().absoluteFilePath(next));
    }
    return {};
}
