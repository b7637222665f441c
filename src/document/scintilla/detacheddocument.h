// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

class ScintillaView;
class SciLoader;

/**
 * A document of the plain-text view's component built apart from any view, through the
 * component's loader: its memory is taken and its text goes in on the thread that creates it,
 * while the view goes on painting; the view then shows it whole. It holds its text as the view
 * does (UTF-8, lines ending in '\n', the UTF-16 index), so nothing is recounted when it is shown.
 *
 * Create, add() and destroy on one thread at a time, handed from one to another only where the
 * hand-over is sequenced (a thread's start or end); creating away from the view's thread needs
 * that thread to run its event loop meanwhile. showIn() on the view's thread.
 */
class DetachedDocument final
{
public:
    /** Room for @p capacity bytes of text; @p styled false: no style bytes (half the memory). */
    DetachedDocument(ScintillaView& view, qsizetype capacity, bool styled);
    ~DetachedDocument();
    DetachedDocument(const DetachedDocument&) = delete;
    DetachedDocument& operator=(const DetachedDocument&) = delete;

    /** False when the component could not create the document. */
    bool isValid() const { return m_loader != nullptr; }
    /** Appends UTF-8 text; false when the component could not take it (out of memory). */
    bool add(QByteArrayView utf8);
    /** The view shows the document from now on; this holds nothing any more. */
    void showIn(ScintillaView& view);

private:
    SciLoader* m_loader = nullptr;
};
