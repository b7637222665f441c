// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

/**
 * The trial open of a file for reading. Gives the file's size when it can be opened, nullopt
 * when it is missing, not a regular file, or access is denied.
 */
std::optional<qint64> probeFileForReading(const QString& path);
