// SPDX-License-Identifier: GPL-3.0-or-later
// The SHA-256 the page loads before its modules (Debian's libjs-jshash, which
// the hub serves as jshash/sha256.js), loaded the same way: its functions
// become globals. crypto.subtle is hidden, as a page over plain http sees it,
// so nothing dealt in these tests can lean on it.
import { readFileSync } from 'node:fs';
import { runInThisContext } from 'node:vm';

const file = '/usr/share/javascript/jshash/sha256.js';
runInThisContext(readFileSync(file, 'utf8'), { filename: file });
const real = globalThis.crypto;
Object.defineProperty(globalThis, 'crypto', { value: { getRandomValues: (array) => real.getRandomValues(array) } });
