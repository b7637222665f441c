// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/** What loading a document file gave. */
struct TextLoadResult
{
    bool ok = false;
    QString text;
    bool lossy = false; // some bytes did not decode and were replaced
    QString error;      // why the file could not be read, for the user
};

/**
 * Reads the file at @p path as plain text: UTF-8 when the bytes are valid UTF-8, code page 932
 * otherwise. Line breaks (CR LF, CR, LF) become line feeds.
 */
TextLoadResult loadDocumentFile(const QString& path);
