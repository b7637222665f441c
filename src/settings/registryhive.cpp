// SPDX-License-Identifier: MIT
#include "registryhive.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cctype>

namespace {

constexpr char kHeader4[] = "REGEDIT4";
constexpr char kHeader5[] = "Windows Registry Editor Version 5.00";

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Reads a quoted token starting at pos (which must point at '"'); advances pos past the closing quote.
std::optional<QString> readQuoted(const QString& line, qsizetype& pos)
{
    if (pos >= line.size() || line.at(pos) != u'"')
        return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line.at(pos);
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (++pos >= line.size())
                return std::nullopt;
            const QChar escaped = line.at(pos);
            if (escaped != u'\\' && escaped != u'"')
                return std::nullopt;
            out.append(escaped);
        } else {
            out.append(c);
        }
    }
    return std::nullopt;
}

QByteArray quote(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out.append(u'"');
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out.append(u'\\');
        out.append(c);
    }
    out.append(u'"');
    return out.toUtf8();
}

std::optional<QByteArray> parseHexBytes(QString text)
{
    text.remove(u' ').remove(u'\t');
    QByteArray bytes;
    if (text.isEmpty())
        return bytes;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const uint byte = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2 || byte > 0xFF)
            return std::nullopt;
        bytes.append(char(byte));
    }
    return bytes;
}

// Parses the text right of '=' into a value; nullopt when it is not a form we understand.
std::optional<RegValue> parseData(const QString& rhs)
{
    qsizetype pos = 0;
    if (rhs.startsWith(u'"')) {
        const auto text = readQuoted(rhs, pos);
        if (!text || !rhs.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return regString(*text);
    }
    if (rhs.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = rhs.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+') || digits.startsWith(u'-'))
            return std::nullopt;
        return regDword(qint32(number));
    }
    quint32 type = 0;
    QString hex;
    if (rhs.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        type = quint32(RegType::Binary);
        hex = rhs.mid(4);
    } else if (rhs.startsWith(QLatin1String("hex("), Qt::CaseInsensitive)) {
        const qsizetype close = rhs.indexOf(QLatin1String("):"));
        bool ok = false;
        type = rhs.mid(4, close - 4).toUInt(&ok, 16);
        if (close < 0 || !ok)
            return std::nullopt;
        hex = rhs.mid(close + 2);
    } else {
        return std::nullopt;
    }
    const auto bytes = parseHexBytes(hex);
    if (!bytes)
        return std::nullopt;
    return RegValue { type, *bytes };
}

QByteArray hexData(const RegValue& value)
{
    QByteArray out = value.type == quint32(RegType::Binary) ? QByteArray("hex:")
                                                            : "hex(" + QByteArray::number(value.type, 16) + "):";
    for (qsizetype i = 0; i < value.data.size(); ++i) {
        if (i)
            out.append(',');
        out.append(QByteArray::number(uchar(value.data.at(i)), 16).rightJustified(2, '0'));
    }
    return out;
}

QByteArray formatValue(const QString& name, const RegValue& value)
{
    QByteArray rhs;
    const bool plainString = value.type == quint32(RegType::String) && !value.data.contains('\n') &&
        !value.data.contains('\r') && !value.data.contains('\0') && strictUtf8(value.data).has_value();
    if (plainString)
        rhs = quote(QString::fromUtf8(value.data));
    else if (value.type == quint32(RegType::Dword) && value.data.size() == 4)
        rhs = "dword:" +
            QByteArray::number(qFromLittleEndian<quint32>(value.data.constData()), 16).rightJustified(8, '0');
    else
        rhs = hexData(value);
    return quote(name) + '=' + rhs;
}

// A continuation line holds hex bytes only; anything else starts a line of its own.
bool isHexContinuation(const QByteArray& line)
{
    for (const char c : line) {
        if (!std::isxdigit(uchar(c)) && c != ',' && c != ' ' && c != '\t' && c != '\\' && c != '\r')
            return false;
    }
    return true;
}

QByteArray withoutCr(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

RegValue regString(const QString& text)
{
    return RegValue { quint32(RegType::String), text.toUtf8() };
}

RegValue regDword(qint32 number)
{
    QByteArray data(4, '\0');
    qToLittleEndian<quint32>(quint32(number), data.data());
    return RegValue { quint32(RegType::Dword), data };
}

RegistryHive RegistryHive::parse(const QByteArray& text)
{
    RegistryHive hive;
    const QList<QByteArray> lines = text.split('\n');
    std::vector<Item>* target = &hive.m_preamble;
    bool headerSeen = false;
    // Lookups by lower-case name keep parsing linear in the size of the file: a hive is read
    // under the lock that every other process waits for.
    QHash<QString, std::size_t> sectionIndex;
    std::vector<QHash<QString, std::size_t>> valueIndex; // per section: name -> position in its items
    QHash<QString, std::size_t>* names = nullptr;
    bool replacedAny = false;

    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray raw = withoutCr(lines.at(i));
        const QByteArray trimmed = raw.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!headerSeen && target == &hive.m_preamble && (trimmed == kHeader4 || trimmed == kHeader5)) {
            headerSeen = true;
            continue;
        }
        const auto decoded = strictUtf8(raw);
        if (!decoded) {
            target->push_back(Item { raw, {}, std::nullopt });
            continue;
        }
        const QString line = decoded->trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']') && !line.startsWith(QLatin1String("[-"))) {
            const QString path = line.mid(1, line.size() - 2);
            auto found = sectionIndex.constFind(path.toLower());
            if (found == sectionIndex.constEnd()) {
                found = sectionIndex.insert(path.toLower(), hive.m_sections.size());
                hive.m_sections.push_back(Section { path, raw, {} });
                valueIndex.emplace_back();
            }
            target = &hive.m_sections[*found].items;
            names = &valueIndex[*found];
            continue;
        }
        // A value line; hex data may continue over lines that end in a backslash.
        QByteArray rawValue = raw;
        QString logical = line;
        while (logical.endsWith(u'\\') && logical.contains(QLatin1String("=hex"), Qt::CaseInsensitive) &&
               i + 1 < lines.size() && isHexContinuation(lines.at(i + 1))) {
            logical.chop(1);
            const QByteArray next = withoutCr(lines.at(++i));
            rawValue += '\n' + next;
            logical += QString::fromUtf8(next).trimmed();
        }
        std::optional<RegValue> value;
        QString name;
        qsizetype pos = 0;
        if (target != &hive.m_preamble) {
            if (auto quotedName = readQuoted(logical, pos);
                quotedName && pos < logical.size() && logical.at(pos) == u'=') {
                name = *quotedName;
                value = parseData(logical.mid(pos + 1).trimmed());
            }
        }
        if (value) {
            // The registry holds one value per name: a later line replaces an earlier one.
            const QString key = name.toLower();
            if (const auto earlier = names->constFind(key); earlier != names->constEnd()) {
                (*target)[*earlier].replaced = true;
                replacedAny = true;
            }
            names->insert(key, target->size());
            target->push_back(Item { rawValue, name, value });
        } else {
            target->push_back(Item { rawValue, {}, std::nullopt });
        }
    }
    if (replacedAny) {
        for (Section& section : hive.m_sections)
            std::erase_if(section.items, [](const Item& item) { return item.replaced; });
    }
    return hive;
}

QByteArray RegistryHive::serialize() const
{
    QByteArray out = QByteArray(kHeader4) + '\n';
    for (const Item& item : m_preamble)
        out += item.raw + '\n';
    for (const Section& section : m_sections) {
        out += '\n';
        out += section.rawHeader.isEmpty() ? ('[' + section.path.toUtf8() + ']') : section.rawHeader;
        out += '\n';
        for (const Item& item : section.items)
            out += (item.raw.isEmpty() ? formatValue(item.name, *item.value) : item.raw) + '\n';
    }
    return out;
}

RegistryHive::Section* RegistryHive::findSection(const QString& keyPath)
{
    auto it = std::find_if(m_sections.begin(), m_sections.end(),
                           [&](const Section& s) { return sameName(s.path, keyPath); });
    return it == m_sections.end() ? nullptr : &*it;
}

const RegistryHive::Section* RegistryHive::findSection(const QString& keyPath) const
{
    return const_cast<RegistryHive*>(this)->findSection(keyPath);
}

bool RegistryHive::hasKey(const QString& keyPath) const
{
    return findSection(keyPath) != nullptr;
}

void RegistryHive::createKey(const QString& keyPath)
{
    if (!findSection(keyPath))
        m_sections.push_back(Section { keyPath, {}, {} });
}

void RegistryHive::deleteKeyTree(const QString& keyPath)
{
    const QString prefix = keyPath + u'\\';
    m_sections.erase(std::remove_if(m_sections.begin(), m_sections.end(),
                                    [&](const Section& s) {
                                        return sameName(s.path, keyPath) ||
                                            s.path.startsWith(prefix, Qt::CaseInsensitive);
                                    }),
                     m_sections.end());
}

std::optional<RegValue> RegistryHive::value(const QString& keyPath, const QString& name) const
{
    const Section* section = findSection(keyPath);
    if (!section)
        return std::nullopt;
    for (const Item& item : section->items) {
        if (item.value && sameName(item.name, name))
            return item.value;
    }
    return std::nullopt;
}

void RegistryHive::setValue(const QString& keyPath, const QString& name, const RegValue& value)
{
    createKey(keyPath);
    Section* section = findSection(keyPath);
    for (Item& item : section->items) {
        if (item.value && sameName(item.name, name)) {
            item = Item { {}, item.name, value };
            return;
        }
    }
    section->items.push_back(Item { {}, name, value });
}

QStringList RegistryHive::valueNames(const QString& keyPath) const
{
    QStringList names;
    if (const Section* section = findSection(keyPath)) {
        for (const Item& item : section->items) {
            if (item.value)
                names.append(item.name);
        }
    }
    return names;
}

bool RegistryHive::isEmpty() const
{
    return m_sections.empty() && m_preamble.empty();
}
