// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

/** The open dialog's types, 1-based as the filter index counts them. */
QList<FileFilter> openDialogFilters();
/** The save dialog's types; the index also decides the extension Save As gives the name. */
QList<FileFilter> saveDialogFilters();

/**
 * The name Save As writes when @p typed was confirmed with save filter @p filterIndex: filters
 * 1 and 3 to 6 replace the typed extension with their own ("memo.htm" under 1 is "memo.txt"),
 * 2 and 7 keep the name as typed.
 */
QString saveAsName(const QString& typed, int filterIndex);

/** The extension of the last path component, with its dot; empty when it has none. */
QString fileExtension(const QString& path);

/**
 * Whether @p name is no file of its own, so that saving must ask for one: the untitled name,
 * the single blank FileNew leaves, or a folder (a name ending in '/').
 */
bool namesNoFile(const QString& name);

/**
 * Where the open and save dialogs start: the folder of the document @p documentName when it names
 * a file, else the first of @p recentFolders that still exists, else @p home. The folder of the
 * program itself (@p programFolder, /usr/bin once installed) is never offered.
 */
QString dialogStartFolder(const QString& documentName, const QStringList& recentFolders, const QString& home,
                          const QString& programFolder);
