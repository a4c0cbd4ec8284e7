// The demo page in headless Chromium (puppeteer-core, Debian's chromium),
// served gzipped on localhost: the picture by pixel as the Linux demo's end-to-end
// test checks it, a click on a numbered button heard (the page reports the
// playing channels on its console) and on an empty one not, and the budgets:
// transfer size, first frame, CPU while idle. The game's page: player 1 moved
// by the arrow keys, and each recorded replay ending on the line the desktop
// game printed for it.
// Usage: node page.js DIST_FOLDER OUT_FOLDER [REPLAY_LINES]
//   (NODE_PATH finds puppeteer-core; REPLAY_LINES holds "NAME.rpl: LINE" lines)
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
    await testSounds(browser, url);
    await testGame(browser, url);
  } finally {
    await browser.close();
    server.close();
  }
}

// A new page of the context (the browser's or one with storage of its own)
// in a view of w x h, and the lines of its console as they come.
async function watchedPage(context, w, h) {
  const page = await context.newPage();
  await page.setViewport({ width: w, height: h, deviceScaleFactor: 1 });
  const lines = [];
  page.on('console', (m) => lines.push(m.text()));
  page.on('pageerror', (e) => lines.push(`page error: ${e.message}`));
  return { page, lines };
}

async function testDemo(browser, url) {
  const { page, lines: consoleLines } = await watchedPage(browser, 800, 600);
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

// A page of its own (its own storage) at url, once its first frame is drawn:
// the page, its console lines and its canvas's box.
async function openPage(context, url) {
  const { page, lines } = await watchedPage(context, 800, 700);
  await page.goto(url, { waitUntil: 'load' });
  const first = await waitFor(lines, /^first frame at/, 10000);
  const canvas = await page.$('#canvas');
  const box = canvas !== null ? await canvas.boundingBox() : null;
  return { page, lines, box, ok: first !== null && box !== null };
}

// The demo's picture of a page, as a pixel reader.
async function picture(page, file) {
  await (await page.$('#canvas')).screenshot({ path: file });
  return pixelReader(page, file);
}

function labelled(pixel, slot) {
  const [x0, y0] = buttonXY(slot);
  for (let y = y0 + 1; y < y0 + 15; y++) for (let x = x0 + 1; x < x0 + 29; x++) {
    if (pixel(x, y).join(',') === '255,255,255') return true;
  }
  return false;
}

// Users' sounds: a recipe in the link's fragment in slot 89, a broken one in
// the message window; one typed under the picture in the first free slot,
// heard at once, and still there after a reload.
async function testSounds(browser, url) {
  const RECIPE = 'frames 4096\nvolume 128\n\nnoise a(1)\nenvelope (0.5)\n';
  let context = await browser.createBrowserContext();
  let p = await openPage(context, url + '#recipe=' + encodeURIComponent(RECIPE));
  check(p.ok, 'the page opens with a recipe in its link');
  await sleep(500);
  check(labelled(await picture(p.page, path.join(OUT, 'link.png')), 89), 'the linked recipe labels slot 89');
  const [bx, by] = buttonXY(89);
  await p.page.mouse.move(p.box.x + bx + 10, p.box.y + by + 8);
  await p.page.mouse.down();
  await sleep(100);
  await p.page.mouse.up();
  check(await waitFor(p.lines, /^playing channels: [1-9]/, 3000) !== null, 'a click on slot 89 plays the linked sound');
  await context.close();

  context = await browser.createBrowserContext();
  p = await openPage(context, url + '#recipe=' + encodeURIComponent('noise a(1\n'));
  const logged = await waitFor(p.lines, /^log: Sound recipe error: Sounds\/89-link\.txt, line (\d+)/, 3000);
  check(logged !== null, `a broken linked recipe is logged (${logged ? logged[0] : 'nothing'})`);
  await sleep(300);
  const shown = await picture(p.page, path.join(OUT, 'link-error.png'));
  // The message window covers the top of the grid, where buttons and black gaps were.
  let changed = 0;
  for (let y = 50; y < 100; y++) for (let x = 30; x < 610; x++) {
    const c = shown(x, y).join(',');
    if (c !== '64,64,64' && c !== '0,0,0' && c !== '255,255,255') changed++;
  }
  check(changed > 1000, `the message window shows it (${changed} pixels of other colours over the grid)`);
  await context.close();

  context = await browser.createBrowserContext();
  p = await openPage(context, url);
  await p.page.type('#recipe', RECIPE);
  await p.page.click('#add-sound button');
  check(await waitFor(p.lines, /^playing channels: [1-9]/, 3000) !== null, 'a typed recipe is heard at once');
  check(labelled(await picture(p.page, path.join(OUT, 'typed.png')), 89), 'in the first free slot, 89');
  await sleep(1500);  // saved to the browser's storage
  await p.page.close();
  p = await openPage(context, url);
  await sleep(500);
  check(labelled(await picture(p.page, path.join(OUT, 'reloaded.png')), 89), 'and still there when the page is opened again');
  await context.close();
}

// The game's page: player 1 (the blue figure) walks right on the arrow key,
// seen on the picture; a replay packed with the page, named in its link,
// ends on the line the desktop game gave for it.
async function testGame(browser, url) {
  let p = await openPage(browser, url + 'game.html?seed=1&level=level1.map');
  check(p.ok, 'the game page draws its first frame');
  if (!p.ok) { console.log(p.lines.join('\n')); return; }
  await sleep(500);
  const blueX = async (name) => {
    const pixel = await picture(p.page, path.join(OUT, name));
    let sum = 0, n = 0;
    for (let y = 18; y < 480; y++) for (let x = 0; x < 640; x++) {
      if (pixel(x, y).join(',') === '40,80,255') { sum += x; n++; }
    }
    return n > 0 ? sum / n : NaN;
  };
  const before = await blueX('game-before.png');
  await p.page.keyboard.down('ArrowRight');
  await sleep(800);
  await p.page.keyboard.up('ArrowRight');
  await sleep(200);
  const after = await blueX('game-right.png');
  check(after - before >= 16, `the right arrow moves player 1 right (from x ${before.toFixed(1)} to ${after.toFixed(1)})`);
  await p.page.keyboard.down('ArrowLeft');
  await sleep(400);
  await p.page.keyboard.up('ArrowLeft');
  await sleep(200);
  const back = await blueX('game-left.png');
  check(back < after - 8, `the left arrow moves it back (to x ${back.toFixed(1)})`);
  const errors = p.lines.filter((l) => /page error|Aborted|exception/i.test(l));
  check(errors.length === 0, `no errors on the game's console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  await p.page.close();

  const file = process.argv[4];
  const wanted = file ? fs.readFileSync(file, 'utf8').split('\n').filter((l) => l) : [];
  check(wanted.length > 0, `replays to play (${wanted.length} from the desktop game)`);
  for (const entry of wanted) {
    const [, name, line] = /^(\S+): (.*)$/.exec(entry);
    const { page, lines } = await watchedPage(browser, 800, 700);
    await page.goto(url + 'game.html?replay=' + encodeURIComponent(name), { waitUntil: 'load' });
    const got = await waitFor(lines, /^level \S+ steps \d+ .*hash [0-9a-f]+$/, 20000);
    check(got !== null && got[0] === line, `replay ${name} in the browser: ${got ? got[0] : 'no result line'}` +
          (got && got[0] !== line ? ` (desktop: ${line})` : ''));
    await page.close();
  }
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
