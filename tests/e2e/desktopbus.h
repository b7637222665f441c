// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>

#include <memory>

/** One object of an application's accessibility tree, as an assistive technology sees it. */
struct AccessibleNode
{
    QString service;
    QString path;
    QString role; // AT-SPI role name: "label", "push button", "menu item", "text", …
    QString name; // a label's or a menu item's text, a window's title
    QString window; // title of the top-level window that holds the object
    bool showing = false;
};

/**
 * A private D-Bus session with the accessibility bus beside it, so that an end-to-end test
 * reads what a screen reader would: the texts of labels, menu items and windows of a Qt
 * program started with environment(), without OCR.
 */
class DesktopBus final
{
public:
    DesktopBus() = default;
    ~DesktopBus();
    DesktopBus(const DesktopBus&) = delete;
    DesktopBus& operator=(const DesktopBus&) = delete;

    /** What is missing, as a sentence for QSKIP; empty when everything is there. */
    static QString missingTools();

    /** Starts the session bus with @p base and brings the accessibility bus up. */
    bool start(const QProcessEnvironment& base);
    QString errorString() const { return m_error; }

    /** @p base plus this session bus, with Qt's accessibility bridge switched on. */
    QProcessEnvironment environment(const QProcessEnvironment& base) const;

    /** The objects of process @p pid, depth first; empty while it has not registered. */
    QList<AccessibleNode> snapshot(qint64 pid) const;

    QRect extents(const AccessibleNode& node) const;
    QString text(const AccessibleNode& node) const;
    QRect characterExtents(const AccessibleNode& node, int offset) const;
    /** The first selection of a text object as [start, end) character offsets; an empty pair without one. */
    std::pair<int, int> selection(const AccessibleNode& node) const;

private:
    void collect(const QString& service, const QString& path, const QString& window, int depth,
                 QList<AccessibleNode>& into) const;

    std::unique_ptr<QProcess> m_daemon;
    QString m_sessionAddress;
    QString m_connectionName;
    QString m_error;
};
