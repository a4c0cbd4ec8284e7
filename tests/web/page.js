// The demo page in headless Chromium (puppeteer-core, Debian's chromium),
// served gzipped on localhost: the picture by pixel as the Linux demo's end-to-end
// test checks it, a click on a numbered button heard (the page reports the
// playing channels on its console) and on an empty one not, and the budgets:
// transfer size, first frame, CPU while idle.
// Usage: node page.js DIST_FOLDER OUT_FOLDER   (NODE_PATH finds puppeteer-core)
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { serve } = require('./serve.js');

const DIST = path.resolve(process.argv[2]);
const OUT = path.resolve(process.argv[3]);
const BUDGET = { transferBytes: 2 * 1024 * 1024, firstFrameMs: 1000, idleCpu: 0.25 };
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// The demo's button of a slot: 25 to a column, 32 x 18 pixels apart.
const buttonXY = (slot) => [2 + Math.floor(slot / 25) * 32, 20 + (slot % 25) * 18];

async function main() {
  const server = await new Promise((ready) => serve(DIST, 0, ready));
  const url = `http://localhost:${server.address().port}/`;
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: 'new',
    args: ['--no-sandbox', '--mute-audio', '--window-size=800,600'],
  });
  try {
    await testDemo(browser, url);
  } finally {
    await browser.close();
    server.close();
  }
}

async function testDemo(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600, deviceScaleFactor: 1 });
  const consoleLines = [];
  page.on('console', (m) => consoleLines.push(m.text()));
  page.on('pageerror', (e) => consoleLines.push(`page error: ${e.message}`));
  const cdp = await page.target().createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Performance.enable');
  let transfer = 0;
  cdp.on('Network.loadingFinished', (e) => { transfer += e.encodedDataLength; });

  await page.goto(url, { waitUntil: 'load' });
  const first = await waitFor(consoleLines, /^first frame at (\d+) ms/, 10000);
  check(first !== null, 'the page draws its first frame');
  if (first === null) { console.log(consoleLines.join('\n')); return; }
  const firstMs = Number(first[1]);
  await sleep(500);
  check(transfer > 0 && transfer <= BUDGET.transferBytes,
        `transfer ${(transfer / 1048576).toFixed(2)} MB gzipped (budget 2 MB)`);
  check(firstMs <= BUDGET.firstFrameMs, `first frame ${firstMs} ms after navigation (budget ${BUDGET.firstFrameMs} ms)`);
  check(consoleLines.some((l) => l.startsWith('log: ')), 'log.txt echoed on the console');

  // The picture, at the points the Linux end-to-end test reads.
  const canvas = await page.$('#canvas');
  const box = await canvas.boundingBox();
  check(box.width === 640 && box.height === 480, `canvas shown at ${box.width} x ${box.height} in an 800 x 600 view`);
  const shot = path.join(OUT, 'screenshot.png');
  await canvas.screenshot({ path: shot });
  const pixel = await pixelReader(page, shot);
  const colour = (x, y) => pixel(x, y).join(',');
  check(colour(5, 5) === '0,0,128' && colour(639, 14) === '0,0,128', `title bar navy (${colour(5, 5)})`);
  check(colour(5, 17) === '0,0,0', 'black gap under the title bar');
  for (const slot of [0, 24, 25, 88, 89, 250, 499]) {
    const [bx, by] = buttonXY(slot);
    check(colour(bx + 2, by + 15) === '64,64,64', `button ${slot} grey (${colour(bx + 2, by + 15)})`);
    check(colour(bx + 5, by + 16) === '0,0,0', `black gap below button ${slot}`);
  }
  const coloursIn = (x0, y0) => {
    const seen = new Set();
    for (let y = y0 + 1; y < y0 + 15; y++) for (let x = x0 + 1; x < x0 + 29; x++) seen.add(colour(x, y));
    return seen;
  };
  for (const slot of [0, 7, 42, 88]) {
    const seen = coloursIn(...buttonXY(slot));
    check(seen.size > 1 && seen.has('255,255,255'), `white label on button ${slot}`);
  }
  for (const slot of [89, 100, 499]) check(coloursIn(...buttonXY(slot)).size === 1, `no label on button ${slot}`);

  // Idle: nothing moves; the browser's frames pace the loop.
  const cpu = await idleCpu(cdp, 2000);
  check(cpu <= BUDGET.idleCpu, `CPU while idle ${(cpu * 100).toFixed(1)} % of a core (budget ${BUDGET.idleCpu * 100} %)`);

  // An empty button first (its click also starts the page's audio), then slot 5.
  const click = async (slot) => {
    const [bx, by] = buttonXY(slot);
    await page.mouse.move(box.x + bx + 10, box.y + by + 8);
    await page.mouse.down();
    await sleep(100);  // the button is sampled once a frame
    await page.mouse.up();
  };
  const playing = () => consoleLines.filter((l) => /^playing channels: [1-9]/.test(l)).length;
  await click(200);
  await sleep(1000);
  check(playing() === 0, 'a click on empty slot 200 plays nothing');
  await click(5);
  check(await waitFor(consoleLines, /^playing channels: [1-9]/, 3000) !== null, 'a click on slot 5 plays');

  // A larger window: the picture at twice its size, and the pointer read in
  // picture pixels (hovering lights the button under it, as on the desktop).
  await page.setViewport({ width: 1400, height: 1100, deviceScaleFactor: 1 });
  await sleep(300);
  const big = await canvas.boundingBox();
  check(big.width === 1280 && big.height === 960, `canvas shown at ${big.width} x ${big.height} in a 1400 x 1100 view`);
  const [hx, hy] = buttonXY(30);
  await page.mouse.move(big.x + (hx + 15) * 2, big.y + (hy + 8) * 2);
  await sleep(300);
  const bigShot = path.join(OUT, 'screenshot-x2.png');
  await canvas.screenshot({ path: bigShot });
  const big2 = await pixelReader(page, bigShot);
  const [ox, oy] = buttonXY(31);
  check(big2(2 * (hx + 2), 2 * (hy + 15)).join(',') === '96,96,96', 'the pointer at twice the size lights button 30');
  check(big2(2 * (ox + 2), 2 * (oy + 15)).join(',') === '64,64,64', 'and not button 31 beside it');

  const errors = consoleLines.filter((l) => /page error|Aborted|exception/i.test(l));
  check(errors.length === 0, `no errors on the console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  fs.writeFileSync(path.join(OUT, 'console.txt'), consoleLines.join('\n') + '\n');
  fs.writeFileSync(path.join(OUT, 'budgets.txt'),
    `transfer_bytes ${transfer}\nfirst_frame_ms ${firstMs}\nidle_cpu ${cpu.toFixed(4)}\n`);
  await page.close();
}

// Waits for a console line matching re; its match, or null after timeoutMs.
async function waitFor(lines, re, timeoutMs) {
  for (const end = Date.now() + timeoutMs; Date.now() < end; await sleep(50)) {
    for (const l of lines) { const m = re.exec(l); if (m) return m; }
  }
  return null;
}

// The share of one core the page's main thread spent over ms milliseconds.
async function idleCpu(cdp, ms) {
  const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  const b0 = await busy();
  const t0 = Date.now();
  await sleep(ms);
  return (await busy() - b0) / ((Date.now() - t0) / 1000);
}

// Reads a PNG's pixels through the browser's own decoder.
async function pixelReader(page, file) {
  const data = fs.readFileSync(file).toString('base64');
  const { width, rgba } = await page.evaluate(async (b64) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + b64;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width; c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    return { width: img.width, rgba: Array.from(g.getImageData(0, 0, img.width, img.height).data) };
  }, data);
  return (x, y) => rgba.slice((y * width + x) * 4, (y * width + x) * 4 + 3);
}

main().then(() => {
  console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
  process.exit(failures ? 1 : 0);
}, (e) => { console.error(e); process.exit(1); });
