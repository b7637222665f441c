// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/** What the printing commands show to the user, exactly as written. */
namespace PrintingText {
/** The header label's caption as designed, printed until the first preview toggle. */
inline const QString DesignHeaderCaption = QStringLiteral("Orvel Soft Version 1.3.7");
/** Put before the page number in the page header. */
inline const QString PageNumberPrefix = QStringLiteral("Page:");
/** Between the current page and the page count in the position field. */
inline const QString CounterSeparator = QStringLiteral(" / ");
/** The message field while the preview is shown. */
inline const QString Previewing = QStringLiteral("プレビュー");

/** No printer to print on: neither a system printer nor a file chosen in printer set-up. */
inline const QString NoPrinter = QStringLiteral(
    "プリンターが見付かりません。「ﾌﾟﾘﾝﾀの設定」で印刷先を選んでください。");
/** The printer refused the job or failed while printing; %1 is the printer's or file's name. */
inline const QString PrintFailed = QStringLiteral("「%1」への印刷に失敗しました。");
/** Shown while many pages are printed; %1 is the document's file name. */
inline const QString Printing = QStringLiteral("「%1」を印刷しています…");
/** The cancel button of the progress shown while printing. */
inline const QString CancelPrinting = QStringLiteral("中止");
/** After the page count in the position field while the preview is still counting pages. */
inline const QString StillCounting = QStringLiteral("…");
} // namespace PrintingText
