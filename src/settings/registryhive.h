// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

/** Registry data types as the registry numbers them. */
enum class RegType : quint32 {
    None = 0,
    String = 1, // REG_SZ
    ExpandString = 2, // REG_EXPAND_SZ
    Binary = 3, // REG_BINARY
    Dword = 4, // REG_DWORD (little-endian)
};

/** One value as the registry holds it: a type number and its raw data bytes. */
struct RegValue
{
    quint32 type = 0;
    QByteArray data;
};

/**
 * The keys and values of one hive, held in the registry's own text export format (REGEDIT4).
 *
 * Lines that cannot be understood are kept byte for byte where they stood and written back
 * unchanged, so a damaged file never costs the user what can still be read. Values that are
 * not rewritten keep their original text too. Key paths and value names compare without
 * regard to case, as the registry does.
 */
class RegistryHive final
{
public:
    static RegistryHive parse(const QByteArray& text);
    QByteArray serialize() const;

    bool hasKey(const QString& keyPath) const;
    void createKey(const QString& keyPath);
    /** Removes the key, its values and every subkey below it. */
    void deleteKeyTree(const QString& keyPath);

    std::optional<RegValue> value(const QString& keyPath, const QString& name) const;
    /** Sets a value, creating the key if needed. */
    void setValue(const QString& keyPath, const QString& name, const RegValue& value);
    QStringList valueNames(const QString& keyPath) const;

    /** True when nothing but the header would be written: no key and no kept line. */
    bool isEmpty() const;

private:
    struct Item
    {
        QByteArray raw; // the original text; empty once the value has been rewritten
        QString name; // value name, when the line is a value
        std::optional<RegValue> value; // nullopt for a line kept verbatim
        bool replaced = false; // while parsing: a later line of the same name replaces it
    };
    struct Section
    {
        QString path;
        QByteArray rawHeader;
        std::vector<Item> items;
    };

    Section* findSection(const QString& keyPath);
    const Section* findSection(const QString& keyPath) const;

    std::vector<Item> m_preamble; // lines before the first key, header excluded
    std::vector<Section> m_sections;
};

/** Encodes a registry string as REG_SZ data (UTF-8 bytes, no terminating NUL). */
RegValue regString(const QString& text);
RegValue regDword(qint32 number);
