// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/registration.h"

#include "support/customregistry.h"
#include "support/messageboxes.h"

namespace Registration {

QString Data(const QString &programFile, const QString &caption) { return programFile + QLatin1Char(';') + caption; }

QString ProgramFromData(const QString &data)
{
    const qsizetype semicolon = data.lastIndexOf(QLatin1Char(';'));
    return semicolon < 0 ? data : data.left(semicolon);
}

static QString reason(const RegistryOutcome &outcome)
{
    switch (outcome.status) {
    case RegistryStatus::Success:
        break;
    case RegistryStatus::InvalidKeyPath:
        return QStringLiteral("the key path is not valid");
    case RegistryStatus::KeyMissing:
        // On this system the chat host's hub stands in for its installer.
        return QStringLiteral("the key does not exist (kalumo-hub creates it when it starts)");
    case RegistryStatus::AccessDenied:
        return QStringLiteral("writing to the key is not allowed");
    case RegistryStatus::WriteFailed:
        return QStringLiteral("the value could not be written: ") + outcome.detail;
    }
    return {};
}

QString FailureText(const QString &keyPath, const RegistryOutcome &outcome, const QString &registryFolder)
{
    return QStringLiteral("The game could not be registered with Kalumo Chat.\n\n"
                          "Key: %1\nReason: %2\nRegistry folder: %3")
        .arg(keyPath, reason(outcome), registryFolder);
}

int Register(const QString &registryFolder, const QString &programFile, const QString &caption, MessageBoxes &boxes)
{
    // The chat host offers every game registered under its games key and
    // starts the program the value names.
    const FileRegistry registry(registryFolder);
    const CustomRegistry customRegistry(registry, boxes, caption);
    RegistryOutcome outcome;
    customRegistry.SetStringValue(GamesKey, caption, Data(programFile, caption), &outcome);
    // Only a value that was written is reported as a registration.
    if (!outcome.Ok()) {
        boxes.Error(caption, FailureText(GamesKey, outcome, registry.Folder()));
        return 1;
    }
    boxes.Information(
        QStringLiteral("Done."),
        QStringLiteral("Game has been registered with Kalumo Chat, You may now call it from the games list."));
    return 0;
}

} // namespace Registration
