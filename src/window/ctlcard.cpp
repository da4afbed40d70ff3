// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/ctlcard.h"

#include "card/deal.h"
#include "support/randomgenerator.h"
#include "window/cardowner.h"
#include "announce/accessiblename.h"
#include "window/designunits.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace {

// Every place below is in twips from the card's top-left corner. The cells
// are 600 × 600 squares filling x 120 to 3120 and y 600 to 3600; the heading
// band above them runs from y 120 to 600.
constexpr int CellSize = 600;
constexpr int GridLeft = 120;
constexpr int MarkerTop = 600, MarkerSize = 615;
constexpr int NumberTop = 720, NumberWidth = 615, NumberHeight = 375;

const QColor Grey(128, 128, 128);
const QColor DarkGrey(64, 64, 64);

struct GridLine
{
    int x1, y1, x2, y2;
    const QColor &colour;
};

// Line4 and Line5 frame the heading; Line11 to Line14 and Line2 run under
// the rows; Line1, Line6 to Line9 and Line3 stand right of the columns.
const GridLine GridLines[] = {
    {120, 120, 3120, 120, DarkGrey}, {120, 600, 3120, 600, DarkGrey}, {120, 1200, 3120, 1200, Grey},
    {120, 1800, 3120, 1800, Grey},   {120, 2400, 3120, 2400, Grey},   {120, 3000, 3120, 3000, Grey},
    {3120, 3600, 120, 3600, Grey},   {120, 120, 120, 3600, Grey},     {720, 600, 720, 3600, Grey},
    {1320, 600, 1320, 3600, Grey},   {1920, 600, 1920, 3600, Grey},   {2520, 600, 2520, 3600, Grey},
    {3120, 120, 3120, 3600, Grey},
};

QFont boldFont(const QString &family, double points)
{
    QFont font(family);
    font.setBold(true);
    font.setPointSizeF(points);
    return font;
}

// Where Tahoma is missing, its stand-in may be wider and push the "O" off
// the card; the heading then steps down in size until the whole caption fits.
void fitToWidth(QLabel *label)
{
    QFont font = label->font();
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
}

} // namespace

// The green disc that shows a cell as marked. It never takes a click: a
// click on the disc beside the number falls through to the card.
class ctlCard::Marker : public QWidget
{
public:
    explicit Marker(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    QColor colour;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(rect()));
    }
};

ctlCard::Colours ctlCard::ColoursOf(bool highContrast)
{
    // The usual numbers are hard to read on a marked cell's disc; high
    // contrast puts white numbers on a dark disc and black ones on the page.
    const QColor background(198, 197, 174);
    if (highContrast)
        return {background, Qt::black, QColor(0, 64, 0), Qt::white};
    return {background, QColor(192, 64, 0), QColor(0, 128, 0), QColor(192, 64, 0)};
}

ctlCard::ctlCard(CardOwner &owner, RandomGenerator &random, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
    , m_random(random)
{
    setObjectName(QStringLiteral("ctlCard"));
    // Not fixed: a window made larger scales its cards too.
    resize(DesignUnits::ToPixels(DesignWidth), DesignUnits::ToPixels(DesignHeight));
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColoursOf(false).background);
    setPalette(pal);

    auto *heading = new QLabel(QStringLiteral(" B    I     N    G    O"), this);
    heading->setObjectName(QStringLiteral("lblBingo"));
    heading->setGeometry(DesignUnits::Rect(240, 240, 2895, 375));
    heading->setFont(boldFont(QStringLiteral("Tahoma"), 15.75));
    heading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fitToWidth(heading);
    QPalette headingPalette = heading->palette();
    headingPalette.setColor(QPalette::WindowText, Qt::black);
    heading->setPalette(headingPalette);

    const QFont numberFont = boldFont(QStringLiteral("Arial"), 14.25);
    for (int i = 0; i < CardCells::Count; ++i) {
        const int left = GridLeft + CellSize * (i % 5), row = CellSize * (i / 5);
        // Markers are made first so that every number stands above its disc.
        auto *marker = new Marker(this);
        marker->setObjectName(QStringLiteral("shpMarker%1").arg(i));
        marker->setGeometry(DesignUnits::Rect(left, MarkerTop + row, MarkerSize, MarkerSize));
        marker->hide();
        m_markers[i] = marker;
    }
    for (int i = 0; i < CardCells::Count; ++i) {
        const int left = GridLeft + CellSize * (i % 5), row = CellSize * (i / 5);
        auto *number = new QLabel(this);
        number->setObjectName(QStringLiteral("lblMyNum%1").arg(i));
        number->setGeometry(DesignUnits::Rect(left, NumberTop + row, NumberWidth, NumberHeight));
        number->setFont(numberFont);
        number->setAlignment(Qt::AlignCenter);
        number->installEventFilter(this);
        m_numberLabels[i] = number;
    }

    m_checkTimer = new QTimer(this);
    m_checkTimer->setObjectName(QStringLiteral("tmrWinner"));
    m_checkTimer->setInterval(CheckInterval);
    connect(m_checkTimer, &QTimer::timeout, this, &ctlCard::CheckLines);

    GenNumbers();
    MyWin(true);
}

void ctlCard::GenNumbers()
{
    m_model.Deal([this] { return m_random.NextNumber(CardDeal::HighestDraw); });
    for (int i = 0; i < CardCells::Count; ++i)
        showCell(i);
}

void ctlCard::ShowNumbers(const QList<int> &numbers)
{
    CardModel::Numbers all{};
    std::copy_n(numbers.begin(), std::min<qsizetype>(numbers.size(), CardCells::Count), all.begin());
    m_model.SetNumbers(all);
    for (int i = 0; i < CardCells::Count; ++i)
        showCell(i);
}

void ctlCard::ResetMarks()
{
    m_model.ClearMarks();
    for (int i = 0; i < CardCells::Count; ++i)
        showCell(i);
    MyWin(true);
}

void ctlCard::MyWin(bool checking)
{
    // The check's state is the timer's: restarting a running timer would
    // only push the next check further off.
    if (!checking)
        m_checkTimer->stop();
    else if (!m_checkTimer->isActive())
        m_checkTimer->start();
}

void ctlCard::CheckLines()
{
    if (!m_checkTimer->isActive())
        return;
    const QList<CardCells::Set> complete = m_model.Complete(m_owner.StageShapes());
    if (complete.isEmpty())
        return; // an incomplete card takes back nothing it reported before
    m_owner.LineComplete(m_model.NumbersIn(complete.first()));
    if (m_owner.ClaimAllowed())
        m_owner.EnableBingo();
}

void ctlCard::SetCalled(int n)
{
    m_called.insert(n);
    for (int i = 0; i < CardCells::Count; ++i) {
        if (m_model.Number(i) == n)
            showCell(i);
    }
}

void ctlCard::ClearCalled()
{
    m_called.clear();
    for (int i = 0; i < CardCells::Count; ++i)
        showCell(i);
}

int ctlCard::CalledNotMarked() const
{
    int count = 0;
    for (int i = 0; i < CardCells::Count; ++i)
        count += m_called.contains(m_model.Number(i)) && !m_model.IsMarked(i) ? 1 : 0;
    return count;
}

void ctlCard::toggleMark(int index)
{
    m_model.SetMarked(index, !m_model.IsMarked(index));
    showCell(index);
}

void ctlCard::showCell(int index)
{
    const Colours colours = ColoursOf(m_highContrast);
    const bool marked = m_model.IsMarked(index);
    QLabel *number = m_numberLabels[index];
    number->setText(QString::number(m_model.Number(index)));
    QPalette pal = number->palette();
    pal.setColor(QPalette::WindowText, marked ? colours.markedNumber : colours.number);
    number->setPalette(pal);
    m_markers[index]->setVisible(marked);
    m_markers[index]->colour = colours.marker;
    m_markers[index]->update();
    const QString state = !m_called.contains(m_model.Number(index)) ? (marked ? QStringLiteral(", marked") : QString())
                          : marked                                 ? QStringLiteral(", called, marked")
                                                                   : QStringLiteral(", called, not marked");
    SetAccessibleName(*number, QStringLiteral("Card %1, row %2, column %3: %4%5")
                                   .arg(m_cardNumber)
                                   .arg(index / 5 + 1)
                                   .arg(index % 5 + 1)
                                   .arg(number->text(), state));
    if (index == m_focusCell)
        SetAccessibleName(*this, number->accessibleName());
}

bool ctlCard::eventFilter(QObject *watched, QEvent *event)
{
    // Only the number labels are watched. A click is a left press and a
    // release over the same label; the press is kept so that the release
    // comes back to that label even if the mouse has moved off it.
    const auto found = std::find(m_numberLabels.begin(), m_numberLabels.end(), watched);
    if (found == m_numberLabels.end())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if ((*found)->rect().contains(mouse->position().toPoint()))
            toggleMark(int(found - m_numberLabels.begin()));
        return true;
    }
    default:
        return false;
    }
}

void ctlCard::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    // Drawn at the designed size and scaled with the card.
    const double scale = double(width()) / DesignUnits::ToPixels(DesignWidth);
    painter.scale(scale, scale);
    for (const GridLine &line : GridLines) {
        painter.setPen(QPen(line.colour, 0));
        painter.drawLine(DesignUnits::Point(line.x1, line.y1), DesignUnits::Point(line.x2, line.y2));
    }
    if (hasFocus()) {
        painter.setPen(QPen(Qt::black, 2));
        painter.drawRect(DesignUnits::Rect(GridLeft + CellSize * (m_focusCell % 5),
                                           MarkerTop + CellSize * (m_focusCell / 5), CellSize, CellSize)
                             .adjusted(2, 2, -2, -2));
    }
}
