// SPDX-License-Identifier: MIT
#pragma once

#include "documenttext.h"

class Document;
class DocumentEditor;

/** The document editor's text as a Document sees it. */
class EditorText final : public DocumentText
{
public:
    explicit EditorText(DocumentEditor& editor);

    /** Tells @p document when the editor's text may have changed and when its modified flag does. */
    void attach(Document& document);

    std::unique_ptr<PlainFill> startPlainFill(qint64 sourceBytes, const QString& path) override;
    void takeRichText(std::unique_ptr<QTextDocument> document) override;
    void clear() override;
    const QTextDocument* richDocument() const override;
    qsizetype textLength() const override;
    void textInSlices(const std::function<void(QStringView)>& sink) const override;
    bool isModified() const override;
    void setModified(bool modified) override;
    QFont font() const override;
    void setLineBreaksFor(const pemmo::formats::TextFormat& format) override;

private:
    DocumentEditor& m_editor;
};
