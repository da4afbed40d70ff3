// SPDX-License-Identifier: GPL-3.0-or-later
// What may be a player's name, by the rules of src/support/playername.cpp. A
// name shows in every player list and chat log, is the sender of each of its
// player's deliveries and is written into the host's tally file, so it must
// not pass for anything the game or the hub writes itself, nor break a record
// or a file it travels in.

export const MAX_LENGTH = 32; // in characters (code points)

const SPACE = /^[\p{Z}\t-\r\x85]$/u;
const SEPARATORS = '|;@:\u00FF';
// Draws nothing, draws something else or holds nothing: control, format,
// surrogate, private-use, unassigned, line and paragraph separators.
const HIDDEN = /^[\p{Cc}\p{Cf}\p{Cs}\p{Co}\p{Cn}\p{Zl}\p{Zp}]$/u;
const LETTER = /^\p{L}$/u;

// Japanese and Korean are written in Han together with their own scripts.
const HAN_GROUP = new Set(['Hiragana', 'Katakana', 'Hangul', 'Bopomofo']);
// The scripts a letter may belong to, the common ones first; a name this
// engine does not know is left out.
const SCRIPTS = (
  'Latin Greek Cyrillic Han Hiragana Katakana Hangul Bopomofo Arabic Hebrew Armenian Georgian Devanagari ' +
  'Bengali Gurmukhi Gujarati Oriya Tamil Telugu Kannada Malayalam Sinhala Thai Lao Tibetan Myanmar Khmer ' +
  'Ethiopic Cherokee Mongolian Yi Coptic Glagolitic Runic Ogham Syriac Thaana Nko Tifinagh Vai Javanese ' +
  'Balinese Sundanese Canadian_Aboriginal Adlam Ahom Avestan Bamum Bassa_Vah Batak Bhaiksuki Brahmi Buginese ' +
  'Buhid Carian Caucasian_Albanian Chakma Cham Chorasmian Cypriot Cypro_Minoan Deseret Dives_Akuru Dogra ' +
  'Duployan Elbasan Elymaic Gothic Grantha Gunjala_Gondi Hanifi_Rohingya Hanunoo Hatran Imperial_Aramaic ' +
  'Inscriptional_Pahlavi Inscriptional_Parthian Kaithi Kawi Kayah_Li Kharoshthi Khitan_Small_Script Khojki ' +
  'Khudawadi Lepcha Limbu Linear_A Linear_B Lisu Lycian Lydian Mahajani Makasar Mandaic Manichaean Marchen ' +
  'Masaram_Gondi Medefaidrin Meetei_Mayek Mende_Kikakui Meroitic_Cursive Meroitic_Hieroglyphs Miao Modi Mro ' +
  'Multani Nabataean Nag_Mundari Nandinagari New_Tai_Lue Newa Nushu Nyiakeng_Puachue_Hmong Ol_Chiki ' +
  'Old_Hungarian Old_Italic Old_North_Arabian Old_Permic Old_Persian Old_Sogdian Old_South_Arabian Old_Turkic ' +
  'Old_Uyghur Osage Osmanya Pahawh_Hmong Palmyrene Pau_Cin_Hau Phags_Pa Phoenician Psalter_Pahlavi Rejang ' +
  'Samaritan Saurashtra Sharada Shavian Siddham SignWriting Sogdian Sora_Sompeng Soyombo Syloti_Nagri Tagalog ' +
  'Tagbanwa Tai_Le Tai_Tham Tai_Viet Takri Tangsa Tangut Tirhuta Toto Ugaritic Vithkuqi Wancho Warang_Citi ' +
  'Yezidi Zanabazar_Square Anatolian_Hieroglyphs Cuneiform Egyptian_Hieroglyphs Common Inherited'
)
  .split(' ')
  .flatMap((name) => {
    try {
      return [[name, new RegExp(`^\\p{Script=${name}}$`, 'u')]];
    } catch {
      return [];
    }
  });

// The script group of a letter; null for Common, Inherited or unknown.
function scriptGroup(c) {
  const found = SCRIPTS.find(([, pattern]) => pattern.test(c));
  if (!found || found[0] === 'Common' || found[0] === 'Inherited') return null;
  return HAN_GROUP.has(found[0]) ? 'Han' : found[0];
}

// Why name cannot be a player's name, as a clause a message can carry ("a
// name cannot ..."); empty when it can.
export function refusal(name) {
  if (name === '') return 'a name cannot be empty';
  // A lone surrogate stays one character here, and is refused as hidden.
  const chars = Array.from(name);
  if (chars.length > MAX_LENGTH) return `a name cannot be longer than ${MAX_LENGTH} characters`;
  if (SPACE.test(chars[0]) || SPACE.test(chars[chars.length - 1])) return 'a name cannot start or end with a blank';
  if (chars[0] === '[' || chars[0] === '*') return 'a name cannot start with "[" or "*"';
  let letters = null;
  for (const c of chars) {
    if (SEPARATORS.includes(c)) return 'a name cannot hold "|", ";", "@", ":" or "\u00FF"';
    if (HIDDEN.test(c)) return 'a name cannot hold control, formatting or private characters';
    if (!LETTER.test(c)) continue;
    const script = scriptGroup(c);
    if (script === null) continue;
    if (letters !== null && letters !== script) return 'a name cannot mix letters of different scripts';
    letters = script;
  }
  return '';
}

// Right-to-left letters (Hebrew, Arabic, Syriac, Thaana, N'Ko, their
// presentation forms, the historic scripts above the BMP) and directional marks.
const TURNS_TEXT = /[\u0590-\u08FF\uFB1D-\uFDFF\uFE70-\uFEFF\u200E\u200F\u202A-\u202E\u2066-\u2069\u{10800}-\u{10FFF}\u{1E800}-\u{1EFFF}]/u;

// The name as it shows inside a line of text: one that holds a right-to-left
// letter or a directional mark is wrapped in a first-strong isolate, so it
// neither turns the line nor is turned by it. Only for what is shown.
export const shown = (name) => (TURNS_TEXT.test(name) ? `\u2068${name}\u2069` : name);
