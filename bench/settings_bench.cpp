// SPDX-License-Identifier: MIT
// ./bench/settings_bench [VALUES]: how long one hive of VALUES values (default 40 000) takes to parse.
#include "settings/registryhive.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int values = argc > 1 ? std::atoi(argv[1]) : 40000;
    QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n";
    for (int i = 0; i < values; ++i)
        text += "\"V" + QByteArray::number(i) + "\"=\"" + QByteArray(40, 'x') + "\"\n";
    QElapsedTimer timer;
    timer.start();
    const RegistryHive hive = RegistryHive::parse(text);
    const qint64 parsed = timer.elapsed();
    const QByteArray again = hive.serialize();
    std::printf("%d values, %lld bytes: parse %lld ms, serialize %lld ms\n", values, qint64(text.size()), parsed,
                timer.elapsed() - parsed);
    return again.isEmpty() ? 1 : 0;
}
