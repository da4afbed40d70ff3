// SPDX-License-Identifier: GPL-3.0-or-later
// What the caller says and shows, as src/game/callertext.cpp has it: a called
// number in words, the sentence that announces a win, and the last call with
// the five before it.

const ONES = ['', 'One', 'Two', 'Three', 'Four', 'Five', 'Six', 'Seven', 'Eight', 'Nine', 'Ten', 'Eleven',
  'Twelve', 'Thirteen', 'Fourteen', 'Fifteen', 'Sixteen', 'Seventeen', 'Eighteen', 'Nineteen'];
const TENS = ['', '', 'Twenty', 'Thirty', 'Forty', 'Fifty', 'Sixty', 'Seventy', 'Eighty', 'Ninety'];

// "Seven", "Forty-two", "One hundred"; any other number in digits.
export function words(n) {
  if (n === 100) return 'One hundred';
  if (!(n >= 1 && n <= 100)) return String(n);
  if (n < 20) return ONES[n];
  return TENS[Math.floor(n / 10)] + (n % 10 ? `-${ONES[n % 10].toLowerCase()}` : '');
}

export const win = (name, total, stage = '') =>
  `${name} wins${stage ? ` ${stage}` : ''}, with ${total} ${total === '1' ? 'win' : 'wins'}`;

// The display of a round from the called numbers in call order: the last
// call, the five before it newest first, and how many have been called.
export function view(order) {
  const count = order.length;
  return {
    last: count ? String(order[count - 1]) : '',
    before: order.slice(Math.max(0, count - 6), -1).reverse().map(String),
    count: count === 0 ? 'No number called yet' : count === 1 ? '1 number called' : `${count} numbers called`,
  };
}
