// SPDX-License-Identifier: MIT
#include "recoverystore.h"

#include "formattexts.h"
#include "platform/checkedfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pemmo::formats {

namespace {

constexpr QByteArrayView kNoteTag = "pemmo recovery copy 1\n";
const QString kCopySuffix = QStringLiteral(".copy");
const QString kNoteSuffix = QStringLiteral(".note");
const QString kOwnPrefix = QStringLiteral("recovery-");
const QString kClaimedPrefix = QStringLiteral("restoring-");
// An editor that was handed a claimed copy locks it within moments of its start; one that has
// not done so by then never will.
constexpr qint64 kClaimGraceSeconds = 30;

QByteArray flag(bool value)
{
    return value ? "1" : "0";
}

QByteArray stampText(const RecoveryNote& note)
{
    if (!note.stampTaken)
        return "none";
    if (!note.stamp)
        return "absent";
    const FileStamp& s = *note.stamp;
    return QByteArray::number(s.size) + ':' + QByteArray::number(s.modifiedNs) + ':' + QByteArray::number(s.device) +
        ':' + QByteArray::number(s.inode);
}

bool parseStamp(const QByteArray& text, RecoveryNote& note)
{
    if (text == "none")
        return true;
    note.stampTaken = true;
    if (text == "absent")
        return true;
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 4)
        return false;
    bool ok[4] = {};
    note.stamp = FileStamp { parts[0].toLongLong(&ok[0]), parts[1].toLongLong(&ok[1]), parts[2].toULongLong(&ok[2]),
                             parts[3].toULongLong(&ok[3]) };
    return ok[0] && ok[1] && ok[2] && ok[3];
}

// Made 0600 before the checked writer first writes it: a replacement takes the old file's mode.
bool preparePrivateFile(const QString& path)
{
    QFile file(path);
    if (file.exists())
        return true;
    return file.open(QIODevice::WriteOnly) && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

QByteArray recoveryNoteBytes(const RecoveryNote& note)
{
    const TextFormat& f = note.format;
    QByteArray text = kNoteTag.toByteArray();
    const auto line = [&text](const char* key, const QByteArray& value) { text += key + ('=' + value) + '\n'; };
    // Names as file-system bytes, percent-encoded, so that any name survives.
    line("path", QFile::encodeName(note.originalPath).toPercentEncoding("/"));
    line("rich", flag(note.rich));
    line("encoding", QByteArray::number(int(f.encoding)));
    line("copyEncoding", QByteArray::number(int(note.copyEncoding)));
    line("bom", flag(f.bom));
    line("lineEnding", QByteArray::number(int(f.lineEnding)));
    line("oneEmptyLine", flag(f.oneEmptyLine));
    line("finalLineBreak", flag(f.finalLineBreak));
    line("keptLineEndings", flag(f.keptLineEndings));
    line("lastLineEnding", QByteArray::number(int(f.lastLineEnding)));
    line("ownCodesEncoding", QByteArray::number(int(f.ownCodesEncoding)));
    for (auto it = f.ownCodes.cbegin(); it != f.ownCodes.cend(); ++it)
        line("ownCode", QByteArray::number(quint32(it.key()), 16) + ':' + it.value().toHex());
    line("lossy", flag(note.lossy));
    line("stamp", stampText(note));
    line("caret", QByteArray::number(note.caret));
    line("pid", QByteArray::number(note.processId));
    line("time", QByteArray::number(note.time.toSecsSinceEpoch()));
    return text;
}

std::optional<RecoveryNote> parseRecoveryNote(const QByteArray& bytes)
{
    if (!bytes.startsWith(kNoteTag) || !bytes.endsWith('\n'))
        return std::nullopt;
    RecoveryNote note;
    TextFormat& f = note.format;
    f.ownCodes.clear();
    const auto encoding = [](const QByteArray& value, Encoding& to) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < 0 || number > int(Encoding::Windows1258))
            return false;
        to = Encoding(number);
        return true;
    };
    const auto ending = [](const QByteArray& value, LineEnding& to) {
        if (value != "0" && value != "1" && value != "2")
            return false;
        to = LineEnding(value.toInt());
        return true;
    };
    const auto boolean = [](const QByteArray& value, bool& to) {
        if (value != "0" && value != "1")
            return false;
        to = value == "1";
        return true;
    };
    const auto number = [](const QByteArray& value, qint64& to) {
        bool ok = false;
        to = value.toLongLong(&ok);
        return ok;
    };
    bool seenTime = false;
    const QList<QByteArray> lines = bytes.mid(kNoteTag.size()).chopped(1).split('\n');
    for (const QByteArray& entry : lines) {
        const qsizetype equals = entry.indexOf('=');
        if (equals < 0)
            return std::nullopt;
        const QByteArray key = entry.left(equals);
        const QByteArray value = entry.mid(equals + 1);
        bool ok = true;
        qint64 seconds = 0;
        if (key == "path") {
            note.originalPath = QFile::decodeName(QByteArray::fromPercentEncoding(value));
        } else if (key == "rich") {
            ok = boolean(value, note.rich);
        } else if (key == "encoding") {
            ok = encoding(value, f.encoding);
        } else if (key == "copyEncoding") {
            ok = encoding(value, note.copyEncoding);
        } else if (key == "bom") {
            ok = boolean(value, f.bom);
        } else if (key == "lineEnding") {
            ok = ending(value, f.lineEnding);
        } else if (key == "oneEmptyLine") {
            ok = boolean(value, f.oneEmptyLine);
        } else if (key == "finalLineBreak") {
            ok = boolean(value, f.finalLineBreak);
        } else if (key == "keptLineEndings") {
            ok = boolean(value, f.keptLineEndings);
        } else if (key == "lastLineEnding") {
            ok = ending(value, f.lastLineEnding);
        } else if (key == "ownCodesEncoding") {
            ok = encoding(value, f.ownCodesEncoding);
        } else if (key == "ownCode") {
            const qsizetype colon = value.indexOf(':');
            const uint character = value.left(colon).toUInt(&ok, 16);
            ok = ok && colon > 0;
            if (ok)
                f.ownCodes.insert(char32_t(character), QByteArray::fromHex(value.mid(colon + 1)));
        } else if (key == "lossy") {
            ok = boolean(value, note.lossy);
        } else if (key == "stamp") {
            ok = parseStamp(value, note);
        } else if (key == "caret") {
            ok = number(value, note.caret);
        } else if (key == "pid") {
            ok = number(value, note.processId);
        } else if (key == "time") {
            ok = number(value, seconds);
            note.time = QDateTime::fromSecsSinceEpoch(seconds);
            seenTime = ok;
        }
        // Keys of a later version are passed over: the copy itself is what matters.
        if (!ok)
            return std::nullopt;
    }
    if (!seenTime)
        return std::nullopt;
    return note;
}

QString recoveryFolder()
{
    return userFolder(UserFolder::State) + QLatin1String("/pemmo/recovery");
}

QString recoveryCopyPath(const QString& lockPath)
{
    return lockPath + kCopySuffix;
}

QString recoveryNotePath(const QString& lockPath)
{
    return lockPath + kNoteSuffix;
}

RecoveryCopy::RecoveryCopy() = default;

RecoveryCopy::~RecoveryCopy() = default;

QString RecoveryCopy::lockPath() const
{
    return m_lockPath;
}

bool RecoveryCopy::exists() const
{
    return m_written;
}

bool RecoveryCopy::ensureLocked()
{
    if (m_lock)
        return true;
    const QString folder = recoveryFolder();
    if (!makePrivateFolders(folder))
        return false;
    // Made and closed first, then held through a descriptor that is no temporary: a process that
    // ends on a signal leaves it behind for the next start.
    CheckedFile made;
    if (!made.createUnique(folder + u'/' + kOwnPrefix) || !made.keep())
        return false;
    auto lock = std::make_unique<CheckedFile>();
    if (!lock->openForReading(made.fileName()) || !lock->tryLock()) {
        QFile::remove(made.fileName());
        return false;
    }
    m_lockPath = made.fileName();
    m_lock = std::move(lock);
    return true;
}

bool RecoveryCopy::adopt(const QString& lockPath)
{
    auto lock = std::make_unique<CheckedFile>();
    if (!lock->openForReading(lockPath) || !lock->tryLock())
        return false;
    remove();
    m_lock = std::move(lock);
    m_lockPath = lockPath;
    m_written = true;
    return true;
}

std::optional<QString> RecoveryCopy::write(const ByteSource& copy, const RecoveryNote& note)
{
    if (!ensureLocked())
        return kRecoveryFolderUnusable.arg(QDir::toNativeSeparators(recoveryFolder()));
    const QString copyPath = recoveryCopyPath(m_lockPath);
    const QString notePath = recoveryNotePath(m_lockPath);
    // The copy before its note: a note always describes a whole copy of some moment.
    if (!preparePrivateFile(copyPath) || !preparePrivateFile(notePath))
        return kRecoveryFolderUnusable.arg(QDir::toNativeSeparators(recoveryFolder()));
    m_written = true;
    if (std::optional<QString> failed = writeDocumentFile(copyPath, copy))
        return failed;
    return writeDocumentFile(notePath, recoveryNoteBytes(note));
}

void RecoveryCopy::remove()
{
    if (!m_lock)
        return;
    // The names go before the lock: a start meanwhile finds nothing, not a copy without a holder.
    QFile::remove(recoveryNotePath(m_lockPath));
    QFile::remove(recoveryCopyPath(m_lockPath));
    QFile::remove(m_lockPath);
    m_lock.reset();
    m_lockPath.clear();
    m_written = false;
}

void RecoveryCopy::release()
{
    m_lock.reset();
    m_lockPath.clear();
    m_written = false;
}

std::optional<RecoveryNote> readRecoveryNote(const QString& lockPath)
{
    QFile file(recoveryNotePath(lockPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseRecoveryNote(file.read(1024 * 1024));
}

QList<PendingRecovery> pendingRecoveries()
{
    QList<PendingRecovery> found;
    const QDir folder(recoveryFolder());
    const QStringList names = folder.entryList(
        { kOwnPrefix + QLatin1String("??????"), kClaimedPrefix + QLatin1String("??????") }, QDir::Files | QDir::Hidden,
        QDir::Name);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        const FileStatus status = linkStatus(path);
        if (!status.isRegular() || status.owner != effectiveUserId())
            continue;
        if (name.startsWith(kClaimedPrefix) &&
            QDateTime::currentSecsSinceEpoch() - status.changedSeconds < kClaimGraceSeconds)
            continue;
        // The editor that keeps it, or a start that asks about it now, holds it locked.
        auto hold = std::make_shared<CheckedFile>();
        if (!hold->openForReading(path) || !hold->tryLock())
            continue;
        const std::optional<RecoveryNote> note = readRecoveryNote(path);
        if (!note || !QFileInfo(recoveryCopyPath(path)).isFile()) {
            // Never whole: the editor ended between making the lock file and writing the copy.
            if (!QFileInfo::exists(recoveryNotePath(path)))
                removeRecovery(path);
            continue;
        }
        found.append({ path, *note, std::move(hold) });
    }
    removeCutShortWrites(folder.path(),
                         { QStringLiteral("*-??????.copy.??????"), QStringLiteral("*-??????.note.??????") });
    return found;
}

QString claimRecovery(const PendingRecovery& recovery)
{
    const QFileInfo file(recovery.lockPath);
    QString claimed = file.absolutePath() + u'/' + kClaimedPrefix + file.fileName().right(6);
    if (claimed == recovery.lockPath)
        return claimed;
    // The note's rename is the claim: of two starts, only one can make it.
    if (!QFile::rename(recoveryNotePath(recovery.lockPath), recoveryNotePath(claimed)))
        return {};
    if (!QFile::rename(recoveryCopyPath(recovery.lockPath), recoveryCopyPath(claimed)) ||
        !QFile::rename(recovery.lockPath, claimed)) {
        QFile::rename(recoveryCopyPath(claimed), recoveryCopyPath(recovery.lockPath));
        QFile::rename(recoveryNotePath(claimed), recoveryNotePath(recovery.lockPath));
        return {};
    }
    return claimed;
}

void removeRecovery(const QString& lockPath)
{
    QFile::remove(recoveryNotePath(lockPath));
    QFile::remove(recoveryCopyPath(lockPath));
    QFile::remove(lockPath);
}

} // namespace pemmo::formats
