// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

/**
 * A real X display for end-to-end tests: Xvfb, optionally a standalone system tray (trayer),
 * and xdotool to drive it. No window manager runs unless asked for, so a window's position is its frame's.
 */
class XSession final
{
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    /** The tools that are missing, as a sentence for QSKIP; empty when everything is there. */
    static QString missingTools(bool withTray);

    /** Starts the display (and the tray at the bottom edge); false with errorString() when it cannot. */
    bool start(bool withTray);
    QString errorString() const { return m_error; }
    /** Starts a real window manager (openbox), so that windows get frames; false when it cannot. */
    bool startWindowManager();

    /** The environment for a program of ours on this display, with fresh settings. */
    QProcessEnvironment environment() const;
    QString settingsDir() const { return m_home.filePath(QStringLiteral("config")); }
    QString hivePath() const { return settingsDir() + QLatin1String("/Ambrel/Pemmo.reg"); }

    /** Runs xdotool with @p arguments; its standard output, trimmed. */
    QString xdotool(const QStringList& arguments) const;
    /** The visible windows of process @p pid (all visible windows when 0). */
    QStringList visibleWindows(qint64 pid = 0) const;
    QStringList windowsNamed(const QString& pattern) const;
    QString windowName(const QString& window) const;
    QRect windowGeometry(const QString& window) const;
    qint64 windowPid(const QString& window) const;
    void click(QPoint at, int button = 1) const;
    void keys(const QStringList& keys) const;
    /**
     * Binds every character of @p text that the keyboard lacks to a free key, for the rest of the session.
     * xdotool would bind it only for the moment of its key press, and a busy program that reads the map
     * after xdotool has put it back gets no character at all. False when no free key is left.
     */
    bool bindCharacters(const QString& text);
    bool screenshot(const QString& path) const;

    /** Waits until @p condition holds, processing events; false after @p ms. */
    static bool waitFor(const std::function<bool()>& condition, int ms = 30000);

private:
    QTemporaryDir m_home;
    QString m_display;
    QString m_error;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_tray;
    std::unique_ptr<QProcess> m_windowManager;
    QList<int> m_freeKeycodes;
    QList<char32_t> m_bound;
};
