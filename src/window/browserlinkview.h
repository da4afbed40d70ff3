// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser link of the game as a QR code, with the link as text under it
// and what the link's encryption leaves open, for players who join from a
// phone: the host shows it in "Invite players…" and on the caller's display,
// where it is read from across a room. The code is drawn as large as the
// view allows, in whole pixels per module, dark on white with its quiet zone.

#include <QImage>
#include <QWidget>

class BrowserLinkView : public QWidget
{
    Q_OBJECT
public:
    explicit BrowserLinkView(const QString &link, QWidget *parent = nullptr);

    // The code of `text` at one pixel per module, its quiet zone of four
    // modules around it; a null image when the text does not fit a QR code.
    static QImage Code(const QString &text);
    // One line on what someone on the network can read of a game played
    // through `link`.
    static QString EncryptionLine(const QString &link);

    // Text sizes follow the view's, for a caller's display on a television.
    void SetTextPixels(int pixels);
};
