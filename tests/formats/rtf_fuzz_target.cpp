// SPDX-License-Identifier: MIT
// libFuzzer entry point for the RTF reader; rtf_fuzz_smoke.cpp drives it without libFuzzer.
#include "formats/documentio.h"
#include "formats/rtfreader.h"
#include "formats/rtfwriter.h"

#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    std::optional<pemmo::formats::RtfReadResult> result = pemmo::formats::readRtf(bytes);
    if (result && result->document) {
        // Whatever the reader builds, the writer must be able to write.
        (void)pemmo::formats::writeRtf(*result->document);
        (void)pemmo::formats::documentPlainText(*result->document);
    }
    return 0;
}
