// SPDX-License-Identifier: MIT
#pragma once

#include "grepengine.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace pemmo::grep {

/** A line longer than this many characters is shown cut, with "…" after it. */
inline constexpr qsizetype kShownLineLength = 2000;

/** "path(line,column) [encoding]: text", the form of every result line. */
QString grepResultLine(const QString& path, const formats::TextFormat& format, const GrepMatch& match);

/** The place a result line names. */
struct GrepLocation
{
    QString path;
    qint64 line = 0;
    qsizetype column = 0;
};
/** Reads a result line back; nullopt for the header, the count and any other line. */
std::optional<GrepLocation> parseGrepResultLine(QStringView line);

/** The header that repeats the conditions, one per line, ending with an empty line. */
QString grepHeader(const GrepConditions& conditions);
/** The closing line: how many were found (and that the run was stopped, when it was). */
QString grepFooter(qint64 matches, bool cancelled);
/** 「Grep "pattern"」. */
QString grepTitle(const QString& pattern);

} // namespace pemmo::grep
