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
const panelCfg = path.join(__dirname, '..', '..', 'resources', 'panel.cfg');

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

// The windows of the panel configuration as the simulator reads them: title,
// and every gauge line's name and box.
function readPanelConfig(file) {
  const windows = [];
  const titles = {};
  let current = null;
  for (const raw of fs.readFileSync(file, 'latin1').split(/\r?\n/)) {
    const line = raw.trim();
    if (!line || line.startsWith('//') || line.startsWith(';')) continue;
    const section = /^\[(.*)\]$/.exec(line);
    if (section) {
      const m = /^window(\d\d)$/i.exec(section[1]);
      current = m ? {index: Number(m[1]), gauges: []} : null;
      if (current) windows.push(current);
      continue;
    }
    const title = /^window(\d\d)\s*=\s*(.*)$/i.exec(line);
    if (title && !current) titles[Number(title[1])] = title[2];
    const gauge = /^gauge\d+\s*=\s*\w+!(\w+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)/i.exec(line);
    if (gauge && current) {
      const [, name, x, y, w, h] = gauge;
      current.gauges.push({name, x: Number(x), y: Number(y), w: Number(w), h: Number(h)});
    }
  }
  windows.sort((a, b) => a.index - b.index);
  for (const w of windows) w.title = titles[w.index];
  return windows;
}

// Mean colours (RGB) of rectangles of a screenshot, each given in client
// pixels {x, y, w, h}: the PNG decoded in the page.
async function shotMeans(page, png, rects) {
  return page.evaluate(async (b64, rects) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + b64;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width;
    c.height = img.height;
    const g = c.getContext('2d', {willReadFrequently: true});
    g.drawImage(img, 0, 0);
    return rects.map((r) => {
      const x = Math.max(0, Math.round(r.x)), y = Math.max(0, Math.round(r.y));
      const w = Math.max(1, Math.round(r.w)), h = Math.max(1, Math.round(r.h));
      const d = g.getImageData(x, y, w, h).data;
      const sum = [0, 0, 0];
      for (let i = 0; i < d.length; i += 4) for (let k = 0; k < 3; ++k) sum[k] += d[i + k];
      return sum.map((v) => v / (d.length / 4));
    });
  }, png.toString('base64'), rects);
}

// Mean colours of rectangles of the panel canvas, in panel pixels.
async function canvasMeans(page, rects) {
  return page.evaluate((rects) => {
    const g = document.getElementById('panel').getContext('2d');
    return rects.map((r) => {
      const d = g.getImageData(r.x, r.y, r.w, r.h).data;
      const sum = [0, 0, 0];
      for (let i = 0; i < d.length; i += 4) for (let k = 0; k < 3; ++k) sum[k] += d[i + k];
      return sum.map((v) => v / (d.length / 4));
    });
  }, rects);
}

const colourDistance = (a, b) => Math.max(...a.map((v, k) => Math.abs(v - b[k])));

// ---- Helpers on the page -------------------------------------------------------
// Brings the gauge into view (its window, or the deck scrolled to it) and gives
// the client point of its pixel (gx, gy).
async function pointOf(page, name, gx, gy) {
  return page.evaluate((name, gx, gy) => {
    window.tarnwick.reveal(name);
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

const shots = [];  // each window's screenshot, written beside the panel's

test('each window alone fills the page, on its background, its gauges where panel.cfg puts them',
     async (page) => {
  const config = readPanelConfig(panelCfg);
  const shown = await page.evaluate(() => window.tarnwick.windows());
  assert.deepEqual(shown.map((w) => w.title), config.map((w) => w.title));
  for (let n = 0; n < config.length; ++n) {
    const cfg = config[n], win = shown[n];
    await page.keyboard.press(String(n + 1));  // as Shift+N in the simulator
    await page.waitForFunction((n) => window.tarnwick.view() === n, {timeout: 5000}, n);
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
    // Scaled to the page: the window's top left at the box's, and as wide or
    // as tall as the room.
    const box = await page.$eval('#panel-box', (b) => {
      const r = b.getBoundingClientRect();
      return {x: r.left, y: r.top, w: r.width, h: r.height, room: window.innerHeight - r.top};
    });
    const {k, left, top} = await page.evaluate((n) => {
      const c = document.getElementById('panel');
      const r = c.getBoundingClientRect();
      const k = r.width / c.width;
      return {k, left: r.left, top: r.top + window.tarnwick.windows()[n].top * k};
    }, n);
    assert.ok(Math.abs(left - box.x) < 1 && Math.abs(top - box.y) < 1, `${cfg.title} at ${left},${top}`);
    assert.ok(Math.abs(win.width * k - box.w) < 2 || Math.abs(win.height * k - box.room) < 2,
              `${cfg.title}: ${win.width} x ${win.height} at ${k} in ${box.w} x ${box.room}`);
    // and nothing of the next window below it.
    assert.ok(win.height * k <= box.room + 1 && box.h <= win.height * k + 1,
              `${cfg.title}: ${win.height * k} high in a box ${box.h} high`);
    const png = Buffer.from(await page.screenshot({type: 'png'}));
    shots.push({title: cfg.title, png});
    const client = (r) => ({x: left + r.x * k, y: top + r.y * k, w: r.w * k, h: r.h * k});

    // Every gauge of the window at its panel.cfg box, drawn there (its
    // picture is not the bare background) and shown there.
    const placed = await page.evaluate(() => window.tarnwick.gauges());
    const inner = (g) => ({x: g.x + 2, y: g.y + 2, w: Math.max(g.w - 4, 1), h: Math.max(g.h - 4, 1)});
    const boxes = cfg.gauges.map((g) => {
      const p = placed.find((q) => q.name === g.name && q.window === n);
      assert.ok(p, `${g.name} is not on ${cfg.title}`);
      assert.deepEqual([p.x, p.y - win.top, p.w, p.h], [g.x, g.y, g.w, g.h], g.name);
      return inner(g);
    });
    const onCanvas = await canvasMeans(page, boxes.map((b) => ({...b, y: b.y + win.top})));
    const onShot = await shotMeans(page, png, boxes.map(client));
    const bare = await page.evaluate((n, boxes) => boxes.map((b) => {
      const sum = [0, 0, 0];
      let count = 0;
      for (let y = b.y; y < b.y + b.h; y += 2)
        for (let x = b.x; x < b.x + b.w; x += 2, ++count) {
          const c = window.tarnwick.background(n, x, y);
          for (let i = 0; i < 3; ++i) sum[i] += c[i];
        }
      return sum.map((v) => v / count);
    }), n, boxes);
    let drawn = 0;
    cfg.gauges.forEach((g, i) => {
      assert.ok(colourDistance(onShot[i], onCanvas[i]) < 14,
                `${g.name} on the screen ${onShot[i]}, in the canvas ${onCanvas[i]}`);
      if (colourDistance(onCanvas[i], bare[i]) > 6) ++drawn;
    });
    assert.ok(drawn >= cfg.gauges.length * 0.8,
              `${cfg.title}: ${drawn} of ${cfg.gauges.length} gauges differ from the background`);

    // The background where no gauge is: the window's bitmap, not a plain field.
    const free = [];
    for (let y = 8; y + 8 < win.height; y += 24) {
      for (let x = 8; x + 8 < win.width; x += 24) {
        const clear = cfg.gauges.every((g) => x + 8 < g.x - 10 || x > g.x + g.w + 10 ||
                                              y + 8 < g.y - 10 || y > g.y + g.h + 10);
        if (clear) free.push({x, y, w: 8, h: 8});
      }
    }
    assert.ok(free.length >= 20, `${cfg.title}: ${free.length} free patches`);
    const bg = await page.evaluate((n, free) => free.map((r) => {
      const sum = [0, 0, 0];
      for (let y = r.y; y < r.y + r.h; ++y)
        for (let x = r.x; x < r.x + r.w; ++x) {
          const c = window.tarnwick.background(n, x, y);
          for (let i = 0; i < 3; ++i) sum[i] += c[i];
        }
      return sum.map((v) => v / (r.w * r.h));
    }), n, free);
    const seen = await shotMeans(page, png, free.map(client));
    const matching = free.filter((_, i) => colourDistance(seen[i], bg[i]) < 14).length;
    assert.ok(matching >= free.length * 0.95, `${cfg.title}: ${matching} of ${free.length} patches`);
    const shades = new Set(bg.map((c) => c.map((v) => Math.round(v / 4)).join()));
    assert.ok(shades.size > 4, `${cfg.title}: the background has ${shades.size} shades`);
  }
  await page.keyboard.press('0');  // the whole deck
  await page.waitForFunction(() => window.tarnwick.view() === -1, {timeout: 5000});
  const whole = await page.$eval('#panel', (c) => c.getBoundingClientRect().height / c.height);
  assert.ok(whole > 0.3, `the deck at ${whole}`);
  await page.keyboard.press('1');
});

test('the panel buttons open the windows the simulator would (TOGGLE3: the overhead)', async (page) => {
  await page.evaluate(() => window.tarnwick.showView(0));
  const from = await eventCount(page);
  await click(page, 'TOGGLE3', 15, 18);
  await ticks(page, 6);  // the button comes out and sends PANEL_3
  assert.ok((await eventsSince(page, from)).some((e) => e.id === 65908), 'no PANEL_3 event');
  await page.waitForFunction(() => window.tarnwick.view() === 2, {timeout: 5000});
  const title = await page.$eval('#windows button[aria-pressed=true]', (b) => b.textContent);
  assert.equal(title, 'Overhead Panel');
  await page.click('#windows button');  // the first title: the main panel
  assert.equal(await page.evaluate(() => window.tarnwick.view()), 0);
});

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
  const sounds = await page.evaluate(() => window.tarnwick.soundCount());
  await click(page, 'START_ARM', 5, 5);
  await page.waitForFunction((n) => window.tarnwick.sounds(n).some((s) => s.kind === 'play'),
                             {timeout: 5000}, sounds)
      .catch((e) => { throw new Error(`no sound played for START_ARM: ${e.message}`); });
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
  await page.waitForFunction(() => document.getElementById('engine2').checked, {timeout: 5000})
      .catch((e) => { throw new Error(`the side panel does not show engine 2 running: ${e.message}`); });
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
      shots.forEach(({title, png}, n) => {
        const file = shotPath.replace(/\.png$/, '') + `-window${n + 1}.png`;
        fs.writeFileSync(file, png);
        console.log(`${title}: ${file}`);
      });
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
