// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/browserlinkview.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <qrencode.h>

namespace {

constexpr int QuietModules = 4;

// The code itself: square, whole pixels per module, centred.
class CodeView : public QWidget
{
public:
    CodeView(const QImage &code, QWidget *parent)
        : QWidget(parent)
        , m_code(code)
    {
        setMinimumSize(m_code.width() * 3, m_code.width() * 3);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_code.isNull())
            return;
        const int scale = std::max(1, std::min(width(), height()) / m_code.width());
        const int side = scale * m_code.width();
        QPainter painter(this);
        const QRect where((width() - side) / 2, (height() - side) / 2, side, side);
        painter.drawImage(where, m_code); // a scale of whole pixels keeps every edge sharp
    }

private:
    QImage m_code;
};

} // namespace

BrowserLinkView::BrowserLinkView(const QString &link, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("browserLink"));
    auto *layout = new QVBoxLayout(this);
    auto *code = new CodeView(Code(link), this);
    code->setAccessibleName(QStringLiteral("QR code of the browser link"));
    layout->addWidget(code, 1);
    for (const QString &text : {link, EncryptionLine(link)}) {
        auto *label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText); // a host's name is in the link
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
}

QImage BrowserLinkView::Code(const QString &text)
{
    // Medium error correction: a code on a screen across a room survives
    // glare and a shaky hand.
    QRcode *code = QRcode_encodeString8bit(text.toUtf8().constData(), 0, QR_ECLEVEL_M);
    if (!code)
        return {};
    const int side = code->width + 2 * QuietModules;
    QImage image(side, side, QImage::Format_Mono);
    image.fill(0);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                image.setPixel(x + QuietModules, y + QuietModules, 1);
        }
    }
    QRcode_free(code);
    return image;
}

QString BrowserLinkView::EncryptionLine(const QString &link)
{
    return link.startsWith(QLatin1String("https:"))
        ? QStringLiteral("Encrypted: others on the network can see that a phone plays here, but not what is said.")
        : QStringLiteral("Not encrypted: anyone on this network can read the names, the chat and the calls, and can "
                         "join with the link.");
}

void BrowserLinkView::SetTextPixels(int pixels)
{
    for (QLabel *label : findChildren<QLabel *>()) {
        QFont font = label->font();
        font.setPixelSize(std::max(8, pixels));
        label->setFont(font);
    }
}
