// SPDX-License-Identifier: MIT
#pragma once

#include "formats/textformat.h"

#include <QByteArrayView>
#include <QFont>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <functional>
#include <memory>

class QTextDocument;

/**
 * The text a Document holds, as the document sees it: filled by a load, read by a save. The
 * window's editor is one such text; a test's in-memory string is another, so that the document's
 * rules run without a window.
 */
class DocumentText
{
public:
    virtual ~DocumentText() = default;

    /** A plain text filled from a load's decoding thread; see DocumentEditor::BackgroundPlainTextLoad. */
    class PlainFill
    {
    public:
        virtual ~PlainFill() = default;
        /** Called on the decoding thread, in order. */
        virtual void append(QByteArrayView utf8) = 0;
        virtual void readSoFar(qint64 sourceDone, qint64 sourceTotal) = 0;
        /** On the text's own thread: the text is the fill from now on; false when it ran out of memory. */
        virtual bool finish() = 0;
    };
    /** Empties the text and starts filling it with a plain load of @p sourceBytes from @p path. */
    virtual std::unique_ptr<PlainFill> startPlainFill(qint64 sourceBytes, const QString& path) = 0;
    virtual void takeRichText(std::unique_ptr<QTextDocument> document) = 0;
    /** Empties the text, undo history and all. */
    virtual void clear() = 0;

    /** The rich document, for an RTF save; null while the text is plain. */
    virtual const QTextDocument* richDocument() const = 0;
    /** Length in UTF-16 units. */
    virtual qsizetype textLength() const = 0;
    /** The text in slices that, joined, are the whole text; every slice but the last ends a line. */
    virtual void textInSlices(const std::function<void(QStringView)>& sink) const = 0;

    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;
    /** Which line break typing puts in, following how the text will be saved. */
    /** The face and size a plain text is written in when it is saved as RTF. */
    virtual QFont font() const { return QFont(); }
    virtual void setLineBreaksFor(const pemmo::formats::TextFormat& format) = 0;
};
