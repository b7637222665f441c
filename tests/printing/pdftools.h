// SPDX-License-Identifier: MIT
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

/** Reads PDF files back with poppler's command-line tools, to check what a print produced. */
namespace PdfTools {

/** The tools that are missing, as a sentence for QSKIP; empty when all are there. */
QString missingTools();
/** The number of pages, or -1 when the file is not a readable PDF. */
int pageCount(const QString& path);
/** Page @p page's (1-based) text, in reading order. */
QString pageText(const QString& path, int page);
/** Page @p page's size in points, as the viewer shows it (rotation applied). */
QSizeF pageSize(const QString& path, int page);
/** The names of the fonts the file uses. */
QStringList fontNames(const QString& path);

} // namespace PdfTools
