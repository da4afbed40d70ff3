#include "support/windowfixture.h"

#include "link/linkrecord.h"
#include "support/commandline.h"

WindowFixture::WindowFixture(const QString &commandLine, const Options &options)
    : m_hostName(CommandLine(commandLine).Piece(4).value_or(QString()))
{
    const QString programFolder = options.programFolder.isEmpty() ? folder.path() : options.programFolder;
    window = std::make_unique<frmMain>(WindowContext{
        boxes, link, random, programFolder, commandLine, ProgramFile(),
        options.registryFolder.isEmpty() ? folder.filePath(QStringLiteral("registry")) : options.registryFolder});
}

int WindowFixture::RecordWin(const QString &name)
{
    link.Deliver(m_hostName, QStringLiteral("Comm;2|ResetMe|10"));
    for (int n = 1; n <= 5; ++n)
        link.Deliver(m_hostName, QStringLiteral("Comm;1|%1").arg(n));
    link.Deliver(name, QStringLiteral("Comm;4|%1|1@2@3@4@5").arg(name));
    const QStringList sent = SentMessages();
    return sent.isEmpty() ? -1 : sent.last().section(QLatin1Char('|'), 2).toInt();
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
