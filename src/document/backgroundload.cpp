// SPDX-License-Identifier: MIT
#include "documenteditor.h"
#include "scintilla/detacheddocument.h"
#include "scintilla/scintillaview.h"

#include <algorithm>

DocumentEditor::BackgroundPlainTextLoad::BackgroundPlainTextLoad(DocumentEditor& editor, qsizetype sourceBytes,
                                                                 CodeLanguage language)
    : m_editor(editor)
    , m_styled(keepsStyleBytes(sourceBytes, language))
{
    m_editor.showView(m_editor.m_plainView);
    // The previous text goes now, not at the end: two large texts at once could exhaust memory.
    if (m_editor.m_plainView->startEmptyDocument(m_styled))
        m_editor.applyCodeColouring();
}

DocumentEditor::BackgroundPlainTextLoad::~BackgroundPlainTextLoad() = default;

void DocumentEditor::BackgroundPlainTextLoad::append(QByteArrayView utf8)
{
    if (m_failed || utf8.isEmpty())
        return;
    m_appended += utf8.size();
    if (!m_document)
        m_held.append(utf8);
    else if (!m_document->add(utf8))
        m_failed = true;
}

void DocumentEditor::BackgroundPlainTextLoad::readSoFar(qint64 sourceDone, qint64 sourceTotal)
{
    if (m_document || m_failed || sourceDone <= 0)
        return;
    // The text so far tells how many bytes of UTF-8 a file byte gives; a little more room than
    // that keeps an uneven rest from growing the buffer.
    qint64 capacity = m_appended * sourceTotal / sourceDone;
    if (sourceDone < sourceTotal)
        capacity += capacity / 16 + 1;
    startDocument(capacity);
}

namespace {
// Whether a line of @p utf8 may be longer than a line shows: then the text needs style bytes,
// in which the rest of such a line is hidden.
bool mayHaveLongLine(QByteArrayView utf8)
{
    qsizetype lineStart = 0;
    for (qsizetype newline = utf8.indexOf('\n'); newline >= 0; newline = utf8.indexOf('\n', lineStart)) {
        if (newline - lineStart > DocumentEditor::kLongLineShownCharacters)
            return true;
        lineStart = newline + 1;
    }
    return utf8.size() - lineStart > DocumentEditor::kLongLineShownCharacters;
}
} // namespace

void DocumentEditor::BackgroundPlainTextLoad::startDocument(qsizetype capacity)
{
    // The text so far stands for the rest: a file of one long line shows it in its first slice.
    if (!m_styled && mayHaveLongLine(m_held))
        m_styled = true;
    m_document = std::make_unique<DetachedDocument>(*m_editor.m_plainView, capacity, m_styled);
    m_failed = !m_document->isValid() || !m_document->add(m_held);
    m_held = QByteArray();
}

bool DocumentEditor::BackgroundPlainTextLoad::finish()
{
    if (m_finished)
        return !m_failed;
    m_finished = true;
    if (!m_document && !m_failed && !m_held.isEmpty())
        startDocument(m_held.size());
    if (m_document && !m_failed)
        m_document->showIn(*m_editor.m_plainView);
    m_document.reset();
    m_editor.settleLoadedPlainText();
    return !m_failed;
}

DocumentEditor::AsideText::AsideText(DocumentEditor& editor)
    : m_editor(editor)
    // Made here, empty, so that the adding thread never waits on this one to prepare it; with
    // style bytes, which the rest of an overlong line is hidden in.
    , m_document(std::make_unique<DetachedDocument>(*editor.m_plainView, 0, true))
    , m_failed(!m_document->isValid())
{ }

DocumentEditor::AsideText::~AsideText() = default;

void DocumentEditor::AsideText::add(QByteArrayView utf8)
{
    if (m_failed)
        return;
    if (!m_document->add(utf8)) {
        m_failed = true;
        return;
    }
    // Its longest line is known here, so that show() need not look through the whole text for
    // lines whose rest is to be hidden. In bytes: a line has no more characters than bytes.
    qsizetype lineStart = 0;
    for (qsizetype newline = utf8.indexOf('\n'); newline >= 0; newline = utf8.indexOf('\n', lineStart)) {
        m_longestLineBytes = std::max(m_longestLineBytes, m_lineBytes + newline - lineStart);
        m_lineBytes = 0;
        lineStart = newline + 1;
    }
    m_lineBytes += utf8.size() - lineStart;
    m_longestLineBytes = std::max(m_longestLineBytes, m_lineBytes);
}

bool DocumentEditor::AsideText::show()
{
    if (m_failed || !m_document)
        return false;
    const int caret = m_editor.selectionStart();
    m_editor.showView(m_editor.m_plainView);
    m_document->showIn(*m_editor.m_plainView);
    m_document.reset();
    // The view keeps its lexer over the new text, whose styles are still to be given: only the
    // hidden rests of long lines need the colouring pass, which first clears every style byte.
    if (m_longestLineBytes > kLongLineShownCharacters)
        m_editor.applyCodeColouring();
    else
        m_editor.m_shortenedLines = 0;
    m_editor.m_plainView->settleLoadedText();
    m_editor.setSelection(caret, 0);
    return true;
}
