// Browser tests of the cockpit page: the page served from the build, opened in
// the system's headless Chromium through puppeteer-core, and used with the
// mouse as a pilot would.
//
//   node cockpit.test.js --page DIR [--shot FILE.png] [--chromium PATH]
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

function option(name, fallback) {
  const i = process.argv.indexOf(name);
  return i > 0 && i + 1 < process.argv.length ? process.argv[i + 1] : fallback;
}
const pageDir = path.resolve(option('--page', '.'));
const shotPath = option('--shot', null);
const chromium = option('--chromium', process.env.TW_CHROMIUM || '/usr/bin/chromium');

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream',
};

function serve(dir) {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://localhost');
    const file = path.join(dir, path.normalize(decodeURIComponent(url.pathname === '/' ? '/index.html' : url.pathname)));
    if (!file.startsWith(dir + path.sep)) { res.writeHead(403).end(); return; }
    fs.readFile(file, (err, data) => {
      if (err) { res.writeHead(404).end(); return; }
      res.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// ---- Helpers on the page -------------------------------------------------------
// Scrolls the gauge into view and gives the client point of its pixel (gx, gy).
async function pointOf(page, name, gx, gy) {
  return page.evaluate((name, gx, gy) => {
    const p = window.tarnwick.clientPoint(name, gx, gy);
    window.scrollBy(0, p.y - window.innerHeight / 2);
    return window.tarnwick.clientPoint(name, gx, gy);
  }, name, gx, gy);
}

async function click(page, name, gx, gy) {
  const p = await pointOf(page, name, gx, gy);
  await page.mouse.click(p.x, p.y);
}

const eventCount = (page) => page.evaluate(() => window.tarnwick.events().length);
const eventsSince = (page, from) => page.evaluate((from) => window.tarnwick.events(from), from);
const ticks = (page, n) => page.evaluate((n) => window.tarnwick.runTicks(n), n);
const tooltipOf = (page, name, gx, gy) =>
  page.evaluate((name, gx, gy) => window.tarnwick.tooltip(name, gx, gy), name, gx, gy);
const percent = (text) => Number(/\(([-\d.]+)%\)/.exec(text)?.[1]);

// ---- Tests ---------------------------------------------------------------------
const tests = [];
const test = (name, fn) => tests.push({name, fn});

test('a click on FLOOD_SW changes its icon in the canvas', async (page) => {
  const before = await page.evaluate(() => window.tarnwick.pixels('FLOOD_SW'));
  const p = await pointOf(page, 'FLOOD_SW', 20, 20);
  await page.mouse.move(p.x, p.y);
  // The host's hand cursor (code 5) over the switch's area.
  assert.equal(await page.$eval('#panel', (c) => c.style.cursor), 'pointer');
  await page.mouse.click(p.x, p.y);
  await page.waitForFunction((before) => {
    const now = window.tarnwick.pixels('FLOOD_SW');
    return now.some((v, i) => v !== before[i]);
  }, {timeout: 5000}, before);
});

test('a drag of thrust lever 2 sends its events, falling with the lever', async (page) => {
  const from = await eventCount(page);
  const start = await pointOf(page, 'THROTTLE_QUAD', 260, 60);
  const end = await page.evaluate(() => window.tarnwick.clientPoint('THROTTLE_QUAD', 260, 300));
  await page.mouse.move(start.x, start.y);
  await page.mouse.down();
  await page.mouse.move(end.x, end.y, {steps: 6});
  await page.mouse.up();
  const lever = (await eventsSince(page, from)).filter((e) => e.id === 65821);
  assert.ok(lever.length >= 3, `thrust lever 2 events: ${JSON.stringify(lever)}`);
  assert.ok(lever[lever.length - 1].value < lever[0].value, JSON.stringify(lever));
  assert.ok((await eventsSince(page, from)).every((e) => e.id !== 65820 && e.id !== 65822));
});

test('holding the altimeter knob repeats its event', async (page) => {
  const from = await eventCount(page);
  const p = await pointOf(page, 'ALT', 16, 271);  // the knob's decreasing side
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  await new Promise((resolve) => setTimeout(resolve, 1000));
  await page.mouse.up();
  const knob = (await eventsSince(page, from)).filter((e) => e.id === 65884 && e.source === 'area');
  assert.ok(knob.length >= 3, `65884 sent ${knob.length} times in a second's hold`);
});

test('the ASI tooltip reads the airspeed set in the side panel', async (page) => {
  await page.click('#airspeed', {clickCount: 3});
  await page.type('#airspeed', '250');
  const p = await pointOf(page, 'ASI', 200, 200);
  await page.mouse.move(p.x, p.y);
  await page.waitForSelector('#tooltip:not([hidden])', {timeout: 5000});
  const text = await page.$eval('#tooltip', (t) => t.textContent);
  assert.equal(text, 'Airspeed Indicator (250 knots)');
  await page.mouse.move(0, 0);
});

test('engine 2 starts on engine 3\'s bleed air with the mouse', async (page) => {
  await page.click('#engine3');
  await ticks(page, 120);  // engine 3 runs at idle, its bleed in the duct
  assert.equal(await page.evaluate(() => window.tarnwick.getVar(201)), 1);
  const duct = await tooltipOf(page, 'STARTER_PRESS', 150, 150);
  assert.ok(Number(/\((\d+) PSI\)/.exec(duct)?.[1]) > 28, duct);

  await page.click('#sound');  // the buffers now play through Web Audio
  const from = await eventCount(page);
  const sounds = (await page.evaluate(() => window.tarnwick.sounds())).length;
  await click(page, 'START_ARM', 5, 5);
  await page.waitForFunction((n) => window.tarnwick.sounds().slice(n).some((s) => s.kind === 'play'),
                             {timeout: 5000}, sounds);
  await click(page, 'START_SWITCHES', 47, 5);
  await ticks(page, 250);  // 13.75 s on the starter
  assert.ok((await eventsSince(page, from)).some((e) => e.id === 66301), 'no starter event');
  const onStarter = percent(await tooltipOf(page, 'N2E2', 150, 150));
  assert.ok(onStarter > 13 && onStarter <= 22, `N2 on the starter ${onStarter}`);

  await click(page, 'THROTTLE_QUAD', 260, 400);  // engine 2's start lever open
  await ticks(page, 330);
  const rising = percent(await tooltipOf(page, 'N2E2', 150, 150));
  assert.ok(rising > onStarter, `N2 ${rising} after the lever, ${onStarter} before`);
  assert.equal(await page.evaluate(() => window.tarnwick.getVar(166)), 0, 'running too early');

  await ticks(page, 150);  // fuel on, light-off
  assert.ok((await eventsSince(page, from)).some((e) => e.id === 65988), 'no fuel-on event');
  assert.equal(await page.evaluate(() => window.tarnwick.getVar(166)), 1, 'engine 2 not running');
  await ticks(page, 300);
  const idle = percent(await tooltipOf(page, 'N2E2', 150, 150));
  assert.ok(idle > 63, `N2 at idle ${idle}`);
  // The side panel shows the engines four times a second.
  await page.waitForFunction(() => document.getElementById('engine2').checked, {timeout: 5000});
});

test('the weather radar paints the storm ahead once switched on', async (page) => {
  await click(page, 'radartc', 10, 75);  // range 20 nm
  await ticks(page, 2);
  const before = await page.evaluate(() => window.tarnwick.pixels('radar'));
  await ticks(page, 80);  // a sweep, a cell a tick
  const after = await page.evaluate(() => window.tarnwick.pixels('radar'));
  const changed = after.filter((v, i) => v !== before[i]).length;
  assert.ok(changed > 1000, `${changed} pixel values changed over the sweep`);
});

async function main() {
  const server = await serve(pageDir);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--autoplay-policy=no-user-gesture-required'],
  });
  let failed = 0;
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 1900, height: 1100});
    const errors = [];
    page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
    page.on('pageerror', (e) => errors.push(String(e)));
    const t0 = Date.now();
    await page.goto(url);
    await page.evaluate(() => window.tarnwick.ready);
    try {
      assert.deepEqual(errors, []);
      assert.ok((await page.evaluate(() => window.tarnwick.gauges().length)) > 100);
      console.log(`ok   the page loads with no console error (${Date.now() - t0} ms)`);
    } catch (e) {
      ++failed;
      console.log(`FAIL the page loads with no console error\n     ${e.message}`);
    }
    for (const {name, fn} of tests) {
      const t = Date.now();
      try {
        await fn(page);
        console.log(`ok   ${name} (${Date.now() - t} ms)`);
      } catch (e) {
        ++failed;
        console.log(`FAIL ${name}\n     ${e.message}`);
      }
    }
    if (shotPath) {
      const data = await page.evaluate(() => document.getElementById('panel').toDataURL('image/png'));
      fs.writeFileSync(shotPath, Buffer.from(data.split(',')[1], 'base64'));
      console.log(`the whole panel: ${shotPath}`);
    }
    if (errors.length) {
      ++failed;
      console.log(`FAIL console errors during the tests:\n     ${errors.join('\n     ')}`);
    }
  } finally {
    await browser.close();
    server.close();
  }
  console.log(failed ? `${failed} failed` : `all ${tests.length + 1} passed`);
  process.exit(failed ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
