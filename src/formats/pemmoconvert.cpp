// SPDX-License-Identifier: MIT
// pemmo-convert IN OUT: loads IN as the editor does and writes OUT as the editor's Save does;
// --input-encoding reads IN as the editor's reopen with a chosen encoding does.
#include "documentio.h"
#include "formattexts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextDocument>

#include <cstdio>

using namespace pemmo::formats;

namespace {

int fail(const QString& message, int code)
{
    // One line, so scripts can show it as it is.
    QString line = message;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "pemmo-convert: %s\n", line.toLocal8Bit().constData());
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList positional;
    std::optional<Encoding> encoding;
    std::optional<Encoding> inputEncoding;
    bool allowLoss = false;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool output = argument == QLatin1String("--encoding") ||
            argument.startsWith(QLatin1String("--encoding="));
        const bool input = argument == QLatin1String("--input-encoding") ||
            argument.startsWith(QLatin1String("--input-encoding="));
        if (output || input) {
            QString name;
            if (argument.contains(u'='))
                name = argument.section(u'=', 1);
            else if (i + 1 < arguments.size())
                name = arguments[++i];
            else
                return fail(kConvertUsage, 2);
            const std::optional<Encoding> named = encodingFromName(name);
            if (!named)
                return fail(kUnknownEncoding.arg(name), 2);
            (output ? encoding : inputEncoding) = named;
        } else if (argument == QLatin1String("--allow-loss")) {
            allowLoss = true;
        } else if (argument.startsWith(QLatin1String("--")) && argument.size() > 2) {
            return fail(kConvertUsage, 2);
        } else {
            positional.append(argument);
        }
    }
    if (positional.size() != 2)
        return fail(kConvertUsage, 2);
    const QString& in = positional[0];
    const QString& out = positional[1];

    LoadOptions loadOptions;
    loadOptions.encoding = inputEncoding;
    LoadResult loaded = loadDocument(in, loadOptions);
    if (!loaded.document)
        return fail(loaded.errorMessage, 1);
    LoadedDocument& document = *loaded.document;

    TextFormat format = document.format;
    if (encoding && *encoding != format.encoding) {
        format.encoding = *encoding;
        format.bom = false; // the IANA names mean "without a BOM"
    }
    SaveOptions options;
    options.sourceWasLossy = document.lossy;
    options.allowLoss = allowLoss;
    options.unkept = document.unkept;
    const DocumentSource source = document.kind == DocumentKind::RichText
        ? DocumentSource { document.richText.get(), {} }
        : DocumentSource { nullptr, document.plainText };
    const QString target = out == QLatin1String("-") ? QString() : out;
    SaveResult rendered = renderDocument(target, source, format, options);
    if (rendered.status == SaveStatus::NeedsConfirmation) {
        if (rendered.unencodable) {
            const char32_t c = rendered.unencodable->character;
            return fail(kConvertUnencodable.arg(QString::fromUcs4(&c, 1))
                            .arg(rendered.unencodable->line)
                            .arg(encodingName(format.encoding)),
                        3);
        }
        if (document.lossy)
            return fail(kConvertLossy.arg(in), 3);
        return fail(kConvertUnkept.arg(in, document.unkept.join(u'、')), 3);
    }
    if (target.isEmpty()) {
        QFile stdOut;
        if (!stdOut.open(stdout, QIODevice::WriteOnly) || stdOut.write(rendered.bytes) != rendered.bytes.size() ||
            !stdOut.flush())
            return fail(kStdoutWriteFailed, 1);
        return 0;
    }
    if (const std::optional<QString> error = writeDocumentFile(target, rendered.bytes))
        return fail(*error, 1);
    return 0;
}
