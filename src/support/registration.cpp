#include "support/registration.h"

namespace Registration {

QString Data(const QString &programFile, const QString &caption)
{
    return programFile + QLatin1Char(';') + caption;
}

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

} // namespace Registration
