// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes one string value into the registry at a key given by its full path
// as text, such as "HKEY_LOCAL_MACHINE\SOFTWARE\Kalumo\Games": checks the
// path's form, maps the root key's name at its head to the root key, opens
// the rest of the path as an existing key, sets the value and closes the key.
// It only writes: it never creates a key, reads or deletes anything.
//
// A key path of the wrong form is shown to the user in a box. Every other
// failure passes without a word to the user and leaves the registry as it
// was; a caller that has to know whether the value was written asks for the
// outcome.

#include "support/fileregistry.h"

#include <QString>

class MessageBoxes;

class CustomRegistry
{
public:
    // Boxes are shown with `title`, the program's title.
    CustomRegistry(const FileRegistry &registry, MessageBoxes &boxes, const QString &title);

    // The root key named exactly name (case counted), or 0 for none.
    static quint32 RootKeyFromName(const QString &name);

    // A valid key path begins with "HKEY_" and does not end with "\". For one
    // it sets rootKey to the root key named before the first "\" (the
    // whole path when there is none; 0 for an unknown name) and leaves only
    // the text after it in keyPath. For any other it shows "Incorrect
    // Format:", two line feeds and the path, and changes neither.
    void ParseKeyPath(QString &keyPath, quint32 &rootKey) const;

    // Sets valueName of the key to data, encoded in the system's 8-bit
    // encoding: every byte of it, with no terminating zero. When given,
    // `outcome` says whether it was written, and why not.
    void SetStringValue(const QString &keyPath, const QString &valueName, const QString &data,
                        RegistryOutcome *outcome = nullptr) const;

private:
    const FileRegistry &m_registry;
    MessageBoxes &m_boxes;
    QString m_title;
};
