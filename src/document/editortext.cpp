// SPDX-License-Identifier: MIT
#include "editortext.h"

#include "codelanguage.h"
#include "document.h"
#include "documenteditor.h"

#include <QTextDocument>

namespace {

class EditorPlainFill final : public DocumentText::PlainFill
{
public:
    EditorPlainFill(DocumentEditor& editor, qint64 sourceBytes, const QString& path)
        : m_load(editor, qsizetype(sourceBytes), codeLanguageForFileName(path))
    { }
    void append(QByteArrayView utf8) override { m_load.append(utf8); }
    void readSoFar(qint64 sourceDone, qint64 sourceTotal) override { m_load.readSoFar(sourceDone, sourceTotal); }
    bool finish() override { return m_load.finish(); }

private:
    DocumentEditor::BackgroundPlainTextLoad m_load;
};

} // namespace

EditorText::EditorText(DocumentEditor& editor)
    : m_editor(editor)
{ }

void EditorText::attach(Document& document)
{
    // Only the cheap hooks: the component's modification events stay off for speed.
    QObject::connect(&m_editor, &DocumentEditor::textMayChange, &document, &Document::touchText);
    QObject::connect(&m_editor, &DocumentEditor::modificationChanged, &document, &Document::modifiedChanged);
}

std::unique_ptr<DocumentText::PlainFill> EditorText::startPlainFill(qint64 sourceBytes, const QString& path)
{
    return std::make_unique<EditorPlainFill>(m_editor, sourceBytes, path);
}

void EditorText::takeRichText(std::unique_ptr<QTextDocument> document)
{
    m_editor.loadRichText(std::move(document));
}

void EditorText::clear()
{
    m_editor.clear();
}

QFont EditorText::font() const
{
    return m_editor.editorFont();
}

const QTextDocument* EditorText::richDocument() const
{
    return m_editor.richDocument();
}

qsizetype EditorText::textLength() const
{
    return m_editor.textLength();
}

void EditorText::textInSlices(const std::function<void(QStringView)>& sink) const
{
    m_editor.textInSlices(sink);
}

bool EditorText::isModified() const
{
    return m_editor.isModified();
}

void EditorText::setModified(bool modified)
{
    m_editor.setModified(modified);
}

void EditorText::setLineBreaksFor(const pemmo::formats::TextFormat& format)
{
    m_editor.setLineBreaksFor(format);
}
