// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paper cards for players without a screen: a PDF of numbered cards, two or
// four to an A4 page, each drawn as the window draws a card (the sand-coloured
// card, "B I N G O" over a 5 × 5 grid of numbers) with its number under it.
// Card N is SeededDeal's paper card N of the seed, the one the host's
// window checks when N is typed in.

#include "card/cardmodel.h"

#include <QString>

namespace PaperCards {

inline constexpr int MostCards = 500;

// The numbers printed on card `number` of `seed`.
CardModel::Numbers CardOf(const QString &seed, int number);

// Writes cards 1 to `count` of `seed` to the PDF file `path`, `perPage`
// (2 or 4) to a page. The reason when the file could not be written, else an
// empty text.
QString Write(const QString &path, const QString &seed, int count, int perPage);

} // namespace PaperCards
