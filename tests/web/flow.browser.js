// SPDX-License-Identifier: GPL-3.0-or-later
// The browser player as people use it: headless chromium against a real hub
// (KALUMO_HUB), with a host played over the windows' link by this script, and
// against a host's real window (KALUMO_BINGO) started by `kalumo-hub host`.
import { after, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createHash, randomBytes } from 'node:crypto';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import net from 'node:net';
import { LINES } from '../../web/js/card.js';

const CHROMIUM = process.env.CHROMIUM ?? '/usr/bin/chromium';
const puppeteer = await import('puppeteer-core').catch(() => null);
const missing = !existsSync(CHROMIUM) ? `no chromium at ${CHROMIUM}` : !puppeteer ? 'no node_modules (run npm ci)' : '';
if (missing) console.log(`SKIPPED: the browser test needs ${missing}; scripts/bootstrap.sh installs both.`);
// One browser for every test: starting chromium is the slowest step here.
const browser = missing ? null : await puppeteer.default.launch({ executablePath: CHROMIUM, args: ['--no-sandbox'], headless: true });
after(() => browser?.close());

const Y = '\u00FF', KEY = '0123456789abcdef0123456789abcdef';
const frame = (text) => { const body = Buffer.from(text); const head = Buffer.alloc(4); head.writeUInt32BE(body.length); return Buffer.concat([head, body]); };

async function startHub() {
  const hub = spawn(process.env.KALUMO_HUB, ['serve', '--listen', '127.0.0.1', '--port', '0'], { stdio: ['ignore', 'ignore', 'pipe'] });
  return { hub, port: await new Promise((resolve, reject) => {
    hub.stderr.on('data', (text) => { const m = /listening on [\d.]+:(\d+)/.exec(text); if (m) resolve(Number(m[1])); });
    hub.on('exit', (code) => reject(new Error(`the hub ended with ${code}`)));
  }) };
}

// Hal hosts over the windows' link: calls when told, judges claims, and
// sends a late joiner the round so far.
async function host(port) {
  const socket = net.connect(port, '127.0.0.1');
  const hal = { order: [], heard: [], socket };
  const send = (text) => socket.write(frame(`G${Y}${KEY}${Y}C${Y}${text}`));
  hal.send = send;
  hal.call = (...numbers) => numbers.forEach((n) => { hal.order.push(n); send(`Comm;1|${n}`); });
  let pending = Buffer.alloc(0);
  socket.on('data', (bytes) => {
    for (pending = Buffer.concat([pending, bytes]); pending.length >= 4 && pending.length >= 4 + pending.readUInt32BE(0);) {
      const [sender, data] = pending.subarray(4, 4 + pending.readUInt32BE(0)).toString().split(Y);
      pending = pending.subarray(4 + pending.readUInt32BE(0));
      hal.heard.push(`${sender}:${data}`);
      const claim = /^Comm;4\|([^|]*)\|([^|]*)/.exec(data);
      if (claim && claim[1] === sender) send(claim[2].split('@').every((n) => hal.order.includes(Number(n))) ? `Comm;3|${sender}|1` : `Comm;6|${sender}|uncalled|`);
      if (sender === '[Enter]' && data !== 'Hal' && hal.order.length) send(`Comm;5|${data}|10|${hal.order.join('@')}`);
    }
  });
  await new Promise((resolve) => socket.on('connect', resolve));
  socket.write(Buffer.concat([frame(`G${Y}${KEY}${Y}I${Y}0`), frame(`G${Y}${KEY}${Y}A${Y} Kalumo Bingo${Y}Hal Kalumo Bingo`)]));
  return hal;
}

// A loopback proxy to the hub whose connections the test can cut.
async function proxy(port) {
  const open = new Set();
  const server = net.createServer((client) => {
    const upstream = net.connect(port, '127.0.0.1');
    client.pipe(upstream).pipe(client);
    for (const s of [client, upstream]) { open.add(s); s.on('error', () => {}); s.on('close', () => { open.delete(s); client.destroy(); upstream.destroy(); }); }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { port: server.address().port, cut: () => open.forEach((s) => s.destroy()), server };
}

const until = (page, test, ...args) => page.waitForFunction(test, { timeout: 10000, polling: 100 }, ...args);
const logHas = (page, line) => until(page, (l) => [...document.querySelectorAll('#log p')].some((p) => p.textContent === l), line);

const linkTo = (port) => `http://127.0.0.1:${port}/#key=${KEY}&host=Hal`;

async function joinAs(browser, link, name, viewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on('pageerror', (error) => assert.fail(`${name}'s page: ${error.message}`));
  await page.goto(link);
  await page.type('#name', name);
  await page.click('#joinButton');
  await until(page, () => [...document.querySelectorAll('#players li')].some((li) => li.textContent === 'Hal (host)'));
  return page;
}

test('a browser player joins, follows the calls, resumes after a cut and wins', { skip: missing || false, timeout: 60000 }, async () => {
  const { hub, port } = await startHub();
  const cutter = await proxy(port);
  try {
    const hal = await host(port);
    const ann = await joinAs(browser, linkTo(cutter.port), 'Ann', { width: 1280, height: 800 });
    hal.send('Comm;2|ResetMe|10');
    hal.send('Comm;10|1|line@full');
    await logHas(ann, '** A New Game Has Been Started.');
    await until(ann, () => !document.querySelector('#stage').hidden);
    assert.deepEqual(await ann.$eval('#stagePicture', (p) => [p.getAttribute('aria-label'), p.querySelectorAll('.on').length]),
      ['Now playing stage 1 of 2, Any line', 5], 'the stage played, as a picture named in words');
    const row = await ann.$$eval('#card0 button', (cells) => cells.slice(0, 5).map((c) => Number(c.textContent)));
    const other = [...Array(100).keys()].map((n) => n + 1).find((n) => !row.includes(n));
    hal.call(other, ...row.slice(0, 4));
    await until(ann, (n) => document.querySelector('#last').textContent === String(n), row[3]);
    assert.equal(await ann.$eval('#before', (e) => e.textContent), [row[2], row[1], row[0], other].join('  '));

    const bob = await joinAs(browser, linkTo(port), 'Bob', { width: 360, height: 640, isMobile: true });
    await logHas(bob, '** You joined a round in progress: 5 number(s) had been called before you came.');
    assert.equal(await bob.$$eval('#board li.called', (cells) => cells.length), 5);
    assert.ok(await bob.evaluate(() => document.documentElement.scrollWidth <= 360), 'no horizontal scrolling on a phone');

    cutter.cut();
    await until(ann, () => !document.querySelector('#status').hidden);
    hal.call(row[4]);
    await bob.type('#chat', 'while Ann was away');
    await bob.keyboard.press('Enter');
    await ann.type('#chat', 'sent while away');
    await ann.keyboard.press('Enter');
    await logHas(ann, '** Back in the game.');
    await logHas(ann, 'Bob:           while Ann was away');
    await until(ann, () => document.querySelector('#count').textContent === '6 numbers called');
    await ann.bringToFront();
    for (let cell = 0; cell < 5; ++cell) await ann.click(`#card0 button:nth-child(${cell + 1})`);
    await until(ann, () => !document.querySelector('#bingo').disabled);
    await ann.keyboard.down('Control'); await ann.keyboard.press('b'); await ann.keyboard.up('Control');
    for (const page of [ann, bob]) await until(page, () => document.querySelector('#banner').textContent === 'BINGO!\nAnn wins, with 1 win');
    const annLog = await ann.$$eval('#log p', (ps) => ps.map((p) => p.textContent));
    assert.equal(annLog.filter((l) => l.includes('while Ann was away')).length, 1, 'no delivery twice');
    assert.equal(hal.heard.filter((h) => h === 'Ann:Chat;sent while away').length, 1, 'no message lost or twice');

    await bob.reload();
    await logHas(bob, '** Back in the game.');
    assert.equal(await bob.$$eval('#board li.called', (cells) => cells.length), 6, 'a reloaded tab keeps its seat and its round');
    await bob.bringToFront();
    const copy = await browser.newPage();
    await copy.evaluateOnNewDocument((seat) => sessionStorage.setItem('kalumo.seat', seat), await bob.evaluate(() => sessionStorage.getItem('kalumo.seat')));
    await copy.goto(bob.url());
    await until(copy, () => document.querySelector('#hostLine').textContent !== '');
    assert.ok(await copy.$eval('#play', (play) => play.hidden), 'a copied tab asks for a name instead of taking the seat');
  } finally {
    await Promise.all((await browser.pages()).map((page) => page.close()));
    cutter.server.close();
    hub.kill();
  }
});

// `kalumo-hub host Hal` in a folder of its own, its window (a copy there, so
// the tallies it keeps beside itself start afresh) carrying on a kept round
// (KEPT numbers called, one more a second); the browser link it prints.
const KEPT = 75;
async function hostWindow(folder) {
  const state = join(folder, 'state', 'kalumo'), key = randomBytes(16).toString('hex');
  const file = (prefix, text) => join(state, `${prefix}-${createHash('sha256').update(text).digest('hex').slice(0, 32)}.json`);
  const free = net.createServer();
  await new Promise((resolve) => free.listen(0, '127.0.0.1', resolve));
  const port = free.address().port;
  await new Promise((resolve) => free.close(resolve));
  mkdirSync(state, { recursive: true, mode: 0o700 });
  writeFileSync(file('host', 'hal'), JSON.stringify({ key, port, secret: randomBytes(16).toString('hex') }));
  writeFileSync(file('round', key), JSON.stringify({ seconds: '1', inProgress: true, called: [...Array(KEPT).keys()].map((n) => n + 1) }));
  copyFileSync(process.env.KALUMO_BINGO, join(folder, 'kalumo-bingo'));
  const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', KALUMO_REGISTRY: join(folder, 'registry') };
  for (const kind of ['CONFIG', 'DATA', 'STATE']) env[`XDG_${kind}_HOME`] = join(folder, kind.toLowerCase());
  const hub = spawn(process.env.KALUMO_HUB, ['host', '--listen', '127.0.0.1', '--port', '0', '--program', join(folder, 'kalumo-bingo'), 'Hal'], { env, stdio: ['ignore', 'pipe', 'pipe'] });
  let said = '';
  hub.stderr.on('data', (text) => (said += text));
  return { hub, link: await new Promise((resolve, reject) => {
    let out = '';
    hub.stdout.on('data', (text) => { const lines = (out += text).split('\n'); if (lines.length > 2) resolve(lines[1]); });
    hub.on('exit', (code) => reject(new Error(`kalumo-hub host ended with ${code}: ${said}`)));
  }) };
}

test('a browser player joins a round a real host window calls, marks a line and wins', { skip: missing || false, timeout: 60000 }, async () => {
  const folder = mkdtempSync(join(tmpdir(), 'kalumo-web-'));
  const { hub, link } = await hostWindow(folder);
  try {
    const ann = await joinAs(browser, link, 'Ann', { width: 360, height: 640, isMobile: true });
    const called = (atLeast) => until(ann, (n) => parseInt(document.querySelector('#count').textContent, 10) >= n, atLeast);
    await called(KEPT);
    await called((await ann.$eval('#count', (e) => parseInt(e.textContent, 10))) + 1); // calls go on after the catch-up
    // A line of either card whose numbers have all been called.
    const [card, cells] = await (await until(ann, (lines) => {
      const called = [...document.querySelectorAll('#board li')].map((li) => li.classList.contains('called'));
      for (const c of [0, 1]) {
        const numbers = [...document.querySelectorAll(`#card${c} button`)].map((b) => Number(b.textContent));
        const line = lines.find((mask) => numbers.every((n, i) => !(mask & (1 << i)) || called[n - 1]));
        if (line) return [c, [...numbers.keys()].filter((i) => line & (1 << i))];
      }
      return null;
    }, LINES)).jsonValue();
    for (const cell of cells) await ann.click(`#card${card} button:nth-child(${cell + 1})`);
    await until(ann, () => !document.querySelector('#bingo').disabled);
    await ann.click('#bingo');
    await until(ann, () => document.querySelector('#banner').textContent === 'BINGO!\nAnn wins, with 1 win');
  } finally {
    await Promise.all((await browser.pages()).map((page) => page.close()));
    hub.kill();
    await new Promise((resolve) => (hub.exitCode === null ? hub.on('exit', resolve) : resolve()));
    rmSync(folder, { recursive: true, force: true });
  }
});
