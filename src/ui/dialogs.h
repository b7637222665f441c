// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;

/** One entry of a file dialog's type list: "テキストファイル(*.txt)" with "*.txt". */
struct FileFilter
{
    QString description;
    QString patterns; // separated by ';'
};

/** A file dialog's state, kept between its uses because several commands read and write it. */
struct FileDialogState
{
    QList<FileFilter> filters;
    QString initialFolder;
    QString fileName; // the file chosen last
    int filterIndex = 1; // 1-based; 0 is taken as 1
};

/** What the font dialog gives back: the font, and the colour when one was offered. */
struct FontChoice
{
    QFont font;
    std::optional<QColor> colour;
};

/** The Grep dialog's fields: what it starts with, and on confirmation what the user entered. */
struct GrepDialogFields
{
    QString pattern;
    QString fileMask;
    QString folder;
    QString excludedFolders;
    /** Empty: detect each file's encoding; else one of @p encodings. */
    QString encoding;
    QStringList encodings; ///< the names offered besides automatic detection
    bool subfolders = true;
    bool caseSensitive = false;
    bool wholeWord = false;
    bool regex = false;
    /** What each match becomes when the user chose 「置換」 (replace true) instead of 「検索」. */
    QString replacement;
    bool replace = false;
};

/**
 * Every modal interaction of the program goes through this one seam: the real implementation
 * shows Qt's dialogs, and tests answer it without a modal loop.
 */
class Dialogs
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    /** Ok to Cancel are Qt's own buttons; the others carry the program's words (uitexts.h). */
    enum class Button { Ok, Yes, No, Cancel, Save, Reopen, Restore, Discard, Later };

    virtual ~Dialogs() = default;

    /**
     * The application title: the caption of every message box. The editor's title routine sets
     * it to the document's file name; the launcher to its own title.
     */
    void setApplicationTitle(const QString& title) { m_applicationTitle = title; }
    QString applicationTitle() const { return m_applicationTitle; }

    /** A message box with the one sentence and an OK button. */
    virtual void message(const QString& text, Icon icon = Icon::None) = 0;
    /**
     * A message box offering @p buttons; returns the one chosen (Cancel when the box is closed).
     * Enter chooses @p defaultButton, else Qt's choice (the first accepting button).
     */
    virtual Button ask(const QString& text, const QList<Button>& buttons, Icon icon = Icon::Question,
                       std::optional<Button> defaultButton = std::nullopt) = 0;

    /** The open dialog; on confirmation updates @p state's file name and filter index and returns true. */
    virtual bool openFile(FileDialogState& state) = 0;
    /** The save dialog; as openFile. */
    virtual bool saveFile(FileDialogState& state) = 0;

    /**
     * The font dialog: fixed-pitch faces only, starting at @p initial, and with @p colour set it
     * also offers a colour starting there. OK without a change gives @p initial back as it was;
     * nullopt when cancelled.
     */
    virtual std::optional<FontChoice> chooseFont(const QFont& initial, std::optional<QColor> colour) = 0;
    /** The colour dialog, starting at @p initial; nullopt when cancelled. */
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
    /** The printer set-up dialog; on confirmation @p printer holds the choice and true is returned. */
    virtual bool printerSetup(QPrinter& printer) = 0;
    /** The Grep dialog, starting from @p fields; on confirmation they hold the entries and true is returned. */
    virtual bool askGrep(GrepDialogFields& fields) = 0;
    /** A one-line question (「指定行へジャンプ」): the text entered, or nullopt when cancelled. */
    virtual std::optional<QString> askText(const QString& title, const QString& label, const QString& initial) = 0;
    /** Shows the help book whose first page is @p indexPath in the help viewer; false when it cannot. */
    virtual bool showHelp(const QString& indexPath) = 0;

private:
    QString m_applicationTitle;
};
