// SPDX-License-Identifier: MIT
#include "detacheddocument.h"

#include "scintillaview.h"

#include <QThread>

#include <cstddef>
#include <exception>

/**
 * The component's loader interface (its ILoader), which QScintilla's headers do not ship:
 * three virtual functions, in this order, are the component's public binary interface.
 */
class SciLoader
{
public:
    virtual int Release() = 0;
    /** A status code: 0 when the text went in. */
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    /** The document, for SCI_SETDOCPOINTER; the loader is that document, no new reference. */
    virtual void* ConvertToDocument() = 0;

protected:
    ~SciLoader() = default;
};

namespace {
using Sci = QsciScintillaBase;
} // namespace

DetachedDocument::DetachedDocument(ScintillaView& view, qsizetype capacity, bool styled)
{
    const long options = styled ? Sci::SC_DOCUMENTOPTION_DEFAULT : Sci::SC_DOCUMENTOPTION_STYLES_NONE;
    // The creation makes the document and takes its memory, which is what should happen away
    // from the view's thread; it goes through no state of the view.
    try {
        m_loader = static_cast<SciLoader*>(view.createLoader(capacity, options));
    } catch (const std::exception&) {
        // The room for the whole text is not there: no document, which fails the load.
        m_loader = nullptr;
    }
    if (!m_loader)
        return;
    void* document = m_loader->ConvertToDocument();
    // Settings of the document itself need a view to be made; the view's thread makes them,
    // while the document is still empty and they cost nothing.
    if (QThread::currentThread() == view.thread()) {
        view.prepareDocument(document);
    } else {
        QMetaObject::invokeMethod(
            &view, [&view, document] { view.prepareDocument(document); }, Qt::BlockingQueuedConnection);
    }
}

DetachedDocument::~DetachedDocument()
{
    if (m_loader)
        m_loader->Release();
}

bool DetachedDocument::add(QByteArrayView utf8)
{
    if (!m_loader)
        return false;
    return utf8.isEmpty() || m_loader->AddData(utf8.data(), utf8.size()) == 0;
}

void DetachedDocument::showIn(ScintillaView& view)
{
    if (!m_loader)
        return;
    view.adoptDocument(m_loader->ConvertToDocument());
    // The view holds its own reference now; the loader's goes with this.
    m_loader->Release();
    m_loader = nullptr;
}
