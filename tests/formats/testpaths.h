// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

// The corpus of real documents with their oracles, kept in the repository (tests/data/corpus).
inline QString sharedTestData()
{
    return QStringLiteral(PEMMO_CORPUS_TESTDATA);
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

// The corpus is part of the repository: a missing folder is a broken checkout, never a skip.
#define REQUIRE_SHARED_TESTDATA(sub)                                                                                   \
    QVERIFY2(QDir(sharedTestData() + QStringLiteral("/" sub)).exists(),                                                \
             qPrintable(QStringLiteral("test corpus missing: %1").arg(sharedTestData() + QStringLiteral("/" sub))))
