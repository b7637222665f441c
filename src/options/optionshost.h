// SPDX-License-Identifier: MIT
#pragma once

class DocumentEditor;

/** What the options window changes in the editor window. */
class OptionsHost
{
public:
    virtual ~OptionsHost() = default;
    virtual DocumentEditor& documentEditor() = 0;
    /** The tab width the editor window read when it was created. */
    virtual int tabWidth() const = 0;
};
