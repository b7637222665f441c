// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

// The shared corpus is read in place (several files are GPL/LGPL and must not be copied here).
inline QString sharedTestData()
{
    const QByteArray overridden = qgetenv("PEMMO_SHARED_TESTDATA");
    return overridden.isEmpty() ? QStringLiteral(PEMMO_SHARED_TESTDATA) : QString::fromLocal8Bit(overridden);
}

inline QString projectTestData()
{
    return QStringLiteral(PEMMO_FORMATS_TESTDATA);
}

inline QByteArray readAllBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

#define REQUIRE_SHARED_TESTDATA(sub)                                                                                   \
    do {                                                                                                               \
        if (!QDir(sharedTestData() + QStringLiteral("/" sub)).exists())                                                \
            QSKIP(qPrintable(QStringLiteral("shared test corpus not found at %1 (set PEMMO_SHARED_TESTDATA)")          \
                                 .arg(sharedTestData() + QStringLiteral("/" sub))));                                  \
    } while (false)
