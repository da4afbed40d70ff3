// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/windowfixture.h"

#include "window/chatlog.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

WindowFixture::WindowFixture(const QString &commandLine, const QString &programDir, const QString &registryDir, const QString &hostSecret,
                             const QString &invitation, const QString &browserLink)
    : window(std::make_unique<frmMain>(WindowContext{boxes,
                                                     link,
                                                     random,
                                                     programDir.isEmpty() ? folder.path() : programDir,
                                                     commandLine,
                                                     folder.filePath(QStringLiteral("kalumo-bingo")),
                                                     registryDir.isEmpty() ? folder.filePath(QStringLiteral("registry")) : registryDir,
                                                     {},
                                                     &speaker,
                                                     folder.filePath(QStringLiteral("settings.ini")),
                                                     hostSecret,
                                                     invitation,
                                                     folder.filePath(QStringLiteral("state")),
                                                     browserLink}))
{}

void WindowFixture::Show() const
{
    window->show();
    QApplication::setActiveWindow(window.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

QStringList ChatLines(const QWidget &window)
{
    QStringList lines;
    const auto *log = window.findChild<ChatLog *>(QStringLiteral("rtbChatIn"));
    for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty()) continue; // the empty block after the last line
        const QColor colour = block.begin().fragment().charFormat().foreground().color();
        int kind = 0;
        for (LogKind k : {LogKind::Welcome, LogKind::Alert, LogKind::Chat, LogKind::Announcement, LogKind::Emote})
            kind = ChatLog::ColourOf(k) == colour ? int(k) : kind;
        lines << QString::number(kind) + u':' + block.text();
    }
    return lines;
}

QString Board(const QWidget &window)
{
    QStringList shown;
    for (int n = 1; n <= 100; ++n) {
        const auto *cell = window.findChild<QLabel *>(QStringLiteral("lblItm%1").arg(n));
        const QColor colour = cell->palette().color(QPalette::WindowText);
        const bool fine = cell->text() == QString::number(n) && (colour == Qt::white || colour == Qt::green);
        if (!fine || colour == Qt::green) shown << (fine ? cell->text() : QStringLiteral("?"));
    }
    return shown.join(u' ');
}
