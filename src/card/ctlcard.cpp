#include "card/ctlcard.h"

#include "card/cardowner.h"
#include "support/randomgenerator.h"
#include "support/twips.h"

ctlCard::ctlCard(CardOwner &owner, RandomGenerator &random, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
    , m_random(random)
{
    setFixedSize(Twips::ToPixels(3255), Twips::ToPixels(3735));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(198, 197, 174));
    setPalette(pal);
}

void ctlCard::GenNumbers() {}
void ctlCard::ResetMarks() {}
void ctlCard::MyWin(bool) {}
