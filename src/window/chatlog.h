#pragma once
// The chat log (rtbChatIn): a read-only rich-text view of everything that
// happens in the game, one coloured line per event. Text is only ever
// inserted as plain text, so a peer's "<b>" shows as those characters.
// The log keeps the newest MaxLines lines; older ones are dropped.

#include <QTextEdit>

class ChatLog : public QTextEdit
{
    Q_OBJECT
public:
    static constexpr int MaxLines = 5000;

    explicit ChatLog(QWidget *parent = nullptr);

    // Appends Strin as one line in the colour of MyType: 1 green, 2 red,
    // 3 black, 4 magenta, 5 blue, anything else black.
    void AddText(int MyType, const QString &Strin);

    static QColor ColourOf(int MyType);

signals:
    // Every line as it is added, for a transcript.
    void LineAdded(int MyType, const QString &line);

protected:
    // Releasing the left button copies the selection to the clipboard.
    void mouseReleaseEvent(QMouseEvent *event) override;
};
