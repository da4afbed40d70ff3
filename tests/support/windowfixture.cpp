#include "support/windowfixture.h"

#include "link/linkrecord.h"

WindowFixture::WindowFixture(const QString &commandLine, const Options &options)
{
    const QString programFolder = options.programFolder.isEmpty() ? folder.path() : options.programFolder;
    window = std::make_unique<frmMain>(WindowContext{
        boxes, link, random, programFolder, commandLine, ProgramFile(),
        options.registryFolder.isEmpty() ? folder.filePath(QStringLiteral("registry")) : options.registryFolder});
}

QStringList WindowFixture::SentMessages() const
{
    QStringList messages;
    for (const QString &record : link.sent) {
        const auto parsed = LinkRecord::Parse(record);
        if (parsed && parsed->kind == u'C')
            messages << parsed->messageText;
    }
    return messages;
}
