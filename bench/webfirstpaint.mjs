// SPDX-License-Identifier: GPL-3.0-or-later
// Loads the browser player from the hub at 127.0.0.1:PORT RUNS times in
// headless chromium with the CPU slowed four times, each in a fresh context,
// and prints the first contentful paint: median, 90th percentile and worst.
//   node bench/webfirstpaint.mjs PORT RUNS
import puppeteer from 'puppeteer-core';

const [port, runs = '20'] = process.argv.slice(2);
const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: ['--no-sandbox'], headless: true });
const paints = [];
try {
  for (let run = 0; run < Number(runs); ++run) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await (await page.createCDPSession()).send('Emulation.setCPUThrottlingRate', { rate: 4 });
    await page.goto(`http://127.0.0.1:${port}/#key=0123456789abcdef0123456789abcdef&host=Hal`, { waitUntil: 'load' });
    const paint = await page.waitForFunction(
      () => performance.getEntriesByName('first-contentful-paint')[0]?.startTime, { timeout: 10000 });
    paints.push(await paint.jsonValue());
    await context.close();
  }
} finally {
  await browser.close();
}
paints.sort((a, b) => a - b);
const at = (q) => paints[Math.min(paints.length - 1, Math.floor(q * paints.length))].toFixed(0);
console.log(`first contentful paint, CPU slowed 4x, ${paints.length} runs: median ${at(0.5)} ms, p90 ${at(0.9)} ms, worst ${at(1)} ms`);
