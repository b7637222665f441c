// SPDX-License-Identifier: MIT
#pragma once

#include "document/documenteditor.h"
#include "document/scintilla/scintillaview.h"
#include "fakedialogs.h"
#include "fakeprocessstarter.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "tempsettings.h"
#include "ui/fontsubstitution.h"
#include "window/mainform.h"

#include <QByteArray>
#include <QFile>
#include <QPair>
#include <QScrollBar>
#include <QVariant>

#include <memory>

/**
 * A fresh settings hive and a fresh editor window per test, on a 1024 × 768 screen.
 * Values go into the hive as REGEDIT4 text, the way a person or another process leaves them.
 */
class MainFormFixture
{
public:
    using Values = QList<QPair<QString, QVariant>>;

    MainFormFixture() { installFontSubstitutions(); }

    /** Writes exactly @p values: ints as dwords, strings as strings, QByteArray verbatim after the '='. */
    void writeValues(const Values& values)
    {
        QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n";
        for (const auto& [name, value] : values) {
            text += '"' + name.toUtf8() + "\"=";
            if (value.typeId() == QMetaType::Int)
                text += "dword:" + QByteArray::number(quint32(value.toInt()), 16).rightJustified(8, '0');
            else if (value.typeId() == QMetaType::QByteArray)
                text += value.toByteArray();
            else
                text += '"' + value.toString().toUtf8().replace("\\", "\\\\").replace("\"", "\\\"") + '"';
            text += '\n';
        }
        settings.writeHive(text);
    }

    /** The values a first start writes, as the start-up code writes them. */
    static Values firstRunValues()
    {
        Values values;
        for (const SettingEntry& entry : settingsTable()) {
            if (!entry.writtenAtFirstRun)
                continue;
            if (entry.type == SettingType::String)
                values.append({ entry.name, entry.text });
            else
                values.append({ entry.name, int(entry.number) });
        }
        return values;
    }

    static Values with(Values values, const QString& name, const QVariant& value)
    {
        values.removeIf([&](const auto& v) { return v.first.compare(name, Qt::CaseInsensitive) == 0; });
        if (value.isValid())
            values.append({ name, value });
        return values;
    }
    static Values without(const Values& values, const QString& name) { return with(values, name, QVariant()); }

    /** The outer frames of the editor windows other processes show. */
    QList<QRect> otherEditors;

    TMainForm& createForm(const QStringList& arguments = {})
    {
        form = std::make_unique<TMainForm>(
            AppContext {
                dialogs, [] { return QRect(0, 0, 1024, 768); }, &processes, {}, [this] { return otherEditors; } },
            arguments);
        return *form;
    }

    template <class T = QWidget>
    T* control(const QString& name) const
    {
        return form->findChild<T*>(name);
    }

    DocumentEditor* editor() const { return control<DocumentEditor>(QStringLiteral("RichEdit2")); }
    /** The plain-text view that shows a document read as plain text. */
    ScintillaView* editorView() const { return editor()->findChild<ScintillaView*>(); }
    /** Where the character at UTF-16 index @p index is drawn in the plain view's text area; the caret stays. */
    QPoint pointAt(int index) const { return pointInView(*editorView(), index); }
    static QPoint pointInView(const ScintillaView& view, int index)
    {
        const long position = long(view.positionFromIndex(index));
        const long x = view.sci(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position);
        const long y = view.sci(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position);
        return QPoint(int(x) + 1, int(y + view.sci(QsciScintillaBase::SCI_TEXTHEIGHT, 0) / 2));
    }

    std::unique_ptr<SettingsKey> key() const { return openSettingsKey(OpenMode::OpenOnly); }
    qint32 storedInteger(const QString& name) const { return key()->readInteger(name); }
    QString storedString(const QString& name) const { return key()->readString(name); }
    bool stored(const QString& name) const { return key()->valueExists(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = settings.dir() + QLatin1Char('/') + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    TempSettings settings;
    FakeDialogs dialogs;
    FakeProcessStarter processes;
    std::unique_ptr<TMainForm> form;
};
