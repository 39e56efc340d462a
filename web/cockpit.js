// The cockpit page: the WebAssembly host draws every gauge into the panel
// canvas, the mouse goes to the gauges' areas, the page's clock drives the
// module's 55 ms systems timer, and the sound buffers play through Web Audio.
'use strict';

(() => {
  const CURSORS = {
    0: 'default', 1: 'n-resize', 2: 's-resize', 3: 'w-resize', 4: 'e-resize',
    5: 'pointer', 6: 'crosshair', 7: 'grab',
  };
  const TOOLTIP_DELAY_MS = 500;
  const REPEAT_DELAY_MS = 400;
  const REPEAT_EVERY_MS = 100;
  const MAX_PERIODS_PER_FRAME = 40;
  const ENGINE_RUNNING = [131, 166, 201, 236];
  const N1 = [624, 643, 662, 681];
  const N2 = [625, 644, 663, 682];
  const EGT = [567, 577, 587, 597];
  const FUEL_FLOW = [638, 657, 676, 695];
  // The simulator's PANEL_1..PANEL_9 events (Shift+1..9, and the panel
  // buttons TOGGLE2..TOGGLE7) toggle the windows by their place in the
  // configuration.
  const PANEL_1 = 65906, PANEL_9 = 65914;
  const WHOLE_DECK = -1;

  const canvas = document.getElementById('panel');
  const ctx = canvas.getContext('2d');
  const tooltip = document.getElementById('tooltip');
  const status = document.getElementById('status');
  const panelBox = document.getElementById('panel-box');

  let M = null;    // the WebAssembly program
  let api = null;  // its calls
  let gauges = []; // {name, x, y, w, h, gw, gh, window}
  let view = 0;    // the window shown, or WHOLE_DECK
  let speed = 1;
  let needFrame = false;
  let lastTime = null;
  let pressed = null;   // {index, timer}
  let hover = null;     // {index, x, y, timer}
  let eventsShown = 0;
  let audio = null;
  const soundBuffers = new Map();  // buffer number -> AudioBuffer
  const playing = new Map();       // buffer number -> {source, gain}
  const soundLog = [];
  let soundsDropped = 0;  // notes dropped from the front of the log as it grew

  function bind() {
    const c = (name, ret, args) => M.cwrap(name, ret, args);
    return {
      start: c('tw_start', 'number', ['string']),
      error: c('tw_error', 'string', []),
      width: c('tw_panel_width', 'number', []),
      height: c('tw_panel_height', 'number', []),
      windowCount: c('tw_window_count', 'number', []),
      windowBox: c('tw_window_box', 'number', ['number', 'number']),
      windowTitle: c('tw_window_title', 'string', ['number']),
      windowPixels: c('tw_window_pixels', 'number', ['number']),
      gaugeCount: c('tw_gauge_count', 'number', []),
      gaugeName: c('tw_gauge_name', 'string', ['number']),
      gaugeBox: c('tw_gauge_box', 'number', ['number', 'number']),
      advance: c('tw_advance', 'number', ['number', 'number']),
      runTicks: c('tw_run_ticks', null, ['number']),
      frame: c('tw_frame', null, []),
      render: c('tw_render', 'number', []),
      takePixels: c('tw_take_pixels', 'number', ['number']),
      gaugeAt: c('tw_gauge_at', 'number', ['number', 'number']),
      press: c('tw_press', 'number', ['number', 'number', 'number']),
      repeat: c('tw_repeat', null, ['number']),
      drag: c('tw_drag', null, ['number', 'number', 'number']),
      release: c('tw_release', null, ['number']),
      cursor: c('tw_cursor', 'number', ['number', 'number', 'number']),
      tooltip: c('tw_tooltip', 'string', ['number', 'number', 'number']),
      setVar: c('tw_set_var', null, ['number', 'number']),
      getVar: c('tw_var', 'number', ['number']),
      setModel: c('tw_set_model', null, ['number']),
      eventCount: c('tw_event_count', 'number', []),
      eventsJson: c('tw_events_json', 'string', ['number']),
      soundNotes: c('tw_sound_notes', 'string', []),
      soundBytes: c('tw_sound_bytes', 'number', ['number']),
      soundFormat: c('tw_sound_format', 'number', ['number', 'number']),
    };
  }

  // ---- Drawing -------------------------------------------------------------
  function redraw() {
    api.render();
    for (let i = 0; i < gauges.length; ++i) {
      const p = api.takePixels(i);
      if (!p) continue;
      const g = gauges[i];
      const bytes = new Uint8ClampedArray(M.HEAPU8.buffer, p, g.w * g.h * 4);
      ctx.putImageData(new ImageData(new Uint8ClampedArray(bytes), g.w, g.h), g.x, g.y);
    }
  }

  function loop(time) {
    const dt = lastTime === null ? 0 : Math.min(time - lastTime, 1000);
    lastTime = time;
    const periods = api.advance(dt * speed, MAX_PERIODS_PER_FRAME);
    if (needFrame && periods === 0) api.frame();
    if (periods > 0 || needFrame) {
      needFrame = false;
      redraw();
      showEvents();
    }
    playSounds();
    requestAnimationFrame(loop);
  }

  // ---- Windows ---------------------------------------------------------------
  // One window at a time, as the simulator shows them, scaled to fit the
  // page; or the whole deck, the windows one below the other.
  function layout() {
    if (view === WHOLE_DECK) {
      panelBox.classList.remove('one');
      panelBox.style.height = '';
      canvas.style.transform = '';
      return;
    }
    panelBox.classList.add('one');
    const top = api.windowBox(view, 0), w = api.windowBox(view, 1), h = api.windowBox(view, 2);
    const k = Math.min(panelBox.clientWidth / w, window.innerHeight / h);
    canvas.style.transform = `scale(${k}) translateY(${-top}px)`;
    panelBox.style.height = `${Math.floor(h * k)}px`;  // nothing of the next window
  }

  function showView(n) {
    if (n !== WHOLE_DECK && (n < 0 || n >= api.windowCount())) return;
    view = n;
    hideTooltip();
    for (const b of document.querySelectorAll('#windows button'))
      b.setAttribute('aria-pressed', String(Number(b.dataset.view) === view));
    layout();
    if (view !== WHOLE_DECK) window.scrollTo(0, 0);
  }

  // A window's toggle: shown, it gives way to the main panel; in the whole
  // deck, the page scrolls to it.
  function toggleWindow(n) {
    if (n >= api.windowCount()) return;
    if (view === WHOLE_DECK) {
      const r = canvas.getBoundingClientRect();
      window.scrollTo(0, window.scrollY + r.top + api.windowBox(n, 0) * r.height / canvas.height);
    } else {
      showView(view === n ? 0 : n);
    }
  }

  window.addEventListener('resize', () => { if (api) layout(); });
  window.addEventListener('keydown', (e) => {
    if (!api || e.ctrlKey || e.altKey || e.metaKey) return;
    if (/^(INPUT|SELECT|TEXTAREA)$/.test(e.target.tagName)) return;
    if (e.key >= '1' && e.key <= '9') showView(Number(e.key) - 1);
    else if (e.key === '0') showView(WHOLE_DECK);
  });

  // ---- Mouse ---------------------------------------------------------------
  // A pointer position in panel pixels.
  function panelPoint(e) {
    const r = canvas.getBoundingClientRect();
    return {
      x: Math.floor((e.clientX - r.left) * canvas.width / r.width),
      y: Math.floor((e.clientY - r.top) * canvas.height / r.height),
    };
  }

  function hideTooltip() {
    if (hover && hover.timer) clearTimeout(hover.timer);
    hover = null;
    tooltip.hidden = true;
  }

  canvas.addEventListener('mousedown', (e) => {
    if (e.button !== 0) return;
    e.preventDefault();
    hideTooltip();
    const p = panelPoint(e);
    const index = api.gaugeAt(p.x, p.y);
    if (index < 0 || !api.press(index, p.x, p.y)) return;
    needFrame = true;
    // The host repeats areas that ask for it while the button stays down.
    const timer = setTimeout(function again() {
      if (!pressed) return;
      api.repeat(pressed.index);
      needFrame = true;
      pressed.timer = setTimeout(again, REPEAT_EVERY_MS);
    }, REPEAT_DELAY_MS);
    pressed = {index, timer};
  });

  window.addEventListener('mousemove', (e) => {
    const p = panelPoint(e);
    if (pressed) {
      api.drag(pressed.index, p.x, p.y);
      needFrame = true;
      return;
    }
    if (e.target !== canvas) return hideTooltip();
    const index = api.gaugeAt(p.x, p.y);
    const code = index < 0 ? -1 : api.cursor(index, p.x, p.y);
    canvas.style.cursor = CURSORS[code] || 'default';
    hideTooltip();
    if (index < 0) return;
    const box = document.getElementById('panel-box').getBoundingClientRect();
    const at = {left: e.clientX - box.left + 12, top: e.clientY - box.top + 16};
    hover = {index, x: p.x, y: p.y, timer: setTimeout(() => {
      const text = api.tooltip(index, p.x, p.y);
      if (!text) return;
      tooltip.textContent = text;
      tooltip.style.left = at.left + 'px';
      tooltip.style.top = at.top + 'px';
      tooltip.hidden = false;
    }, TOOLTIP_DELAY_MS)};
  });

  window.addEventListener('mouseup', (e) => {
    if (e.button !== 0 || !pressed) return;
    clearTimeout(pressed.timer);
    api.release(pressed.index);
    pressed = null;
    needFrame = true;
  });
  canvas.addEventListener('mouseleave', () => { if (!pressed) hideTooltip(); });

  // ---- Sound ---------------------------------------------------------------
  function audioBuffer(n) {
    if (soundBuffers.has(n)) return soundBuffers.get(n);
    const p = api.soundBytes(n);
    const size = api.soundFormat(n, 0), channels = api.soundFormat(n, 1);
    const rate = api.soundFormat(n, 2), bits = api.soundFormat(n, 3);
    if (!p || !size || !channels || !rate || (bits !== 8 && bits !== 16)) return null;
    const frames = Math.floor(size / (channels * bits / 8));
    if (!frames) return null;
    const buf = audio.createBuffer(channels, frames, rate);
    const view = new DataView(M.HEAPU8.buffer, p, size);
    for (let ch = 0; ch < channels; ++ch) {
      const out = buf.getChannelData(ch);
      for (let f = 0; f < frames; ++f) {
        out[f] = bits === 16 ? view.getInt16(2 * (f * channels + ch), true) / 32768
                             : (view.getUint8(f * channels + ch) - 128) / 128;
      }
    }
    soundBuffers.set(n, buf);
    return buf;
  }

  const gainOf = (volume) => Math.pow(10, volume / 2000);  // hundredths of a decibel

  function stopSound(n) {
    const s = playing.get(n);
    if (!s) return;
    s.source.onended = null;
    s.source.stop();
    playing.delete(n);
  }

  function playSounds() {
    const notes = JSON.parse(api.soundNotes());
    for (const [n, kind, looping, volume] of notes) {
      soundLog.push({buffer: n, kind: ['play', 'stop', 'volume'][kind], looping: !!looping, volume});
      if (soundLog.length > 1000) {
        soundLog.splice(0, 500);
        soundsDropped += 500;
      }
      if (!audio) continue;
      if (kind === 0) {
        const current = playing.get(n);
        // Play on a buffer that is playing goes on from where it is.
        if (current) { current.source.loop = !!looping; current.gain.gain.value = gainOf(volume); continue; }
        const buf = audioBuffer(n);
        if (!buf) continue;
        const source = audio.createBufferSource();
        const gain = audio.createGain();
        source.buffer = buf;
        source.loop = !!looping;
        gain.gain.value = gainOf(volume);
        source.connect(gain).connect(audio.destination);
        source.onended = () => { if (playing.get(n)?.source === source) playing.delete(n); };
        source.start();
        playing.set(n, {source, gain});
      } else if (kind === 1) {
        stopSound(n);
      } else if (playing.has(n)) {
        playing.get(n).gain.gain.value = gainOf(volume);
      }
    }
  }

  // ---- Side panel ------------------------------------------------------------
  function showEvents() {
    const count = api.eventCount();
    if (count === eventsShown) return;
    const list = document.getElementById('events');
    for (const [, id] of JSON.parse(api.eventsJson(eventsShown)))
      if (id >= PANEL_1 && id <= PANEL_9) toggleWindow(id - PANEL_1);
    for (const [source, id, value] of JSON.parse(api.eventsJson(Math.max(eventsShown, count - 50)))) {
      const li = document.createElement('li');
      li.textContent = `${id} ${value}${source ? ' (area)' : ''}`;
      list.prepend(li);
    }
    while (list.children.length > 50) list.lastChild.remove();
    eventsShown = count;
  }

  function setupSide() {
    const number = (id) => Number(document.getElementById(id).value) || 0;
    const onInput = (id, fn) => document.getElementById(id).addEventListener('input', fn);
    onInput('airspeed', () => { api.setVar(61, number('airspeed')); needFrame = true; });
    onInput('altitude', () => {
      api.setVar(74, number('altitude'));
      api.setVar(73, number('altitude') * 0.3048);
      needFrame = true;
    });
    const check = (id, variable) => {
      const box = document.getElementById(id);
      box.addEventListener('change', () => { api.setVar(variable, box.checked ? 1 : 0); needFrame = true; });
      api.setVar(variable, box.checked ? 1 : 0);
    };
    // The panel windows by their titles (keys 1 to 9), and the whole deck (0).
    const windows = document.getElementById('windows');
    const button = (text, n, key) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = text;
      b.title = `key ${key}`;
      b.dataset.view = String(n);
      b.addEventListener('click', () => showView(n));
      windows.append(b);
    };
    for (let n = 0; n < api.windowCount(); ++n) button(api.windowTitle(n), n, n + 1);
    button('Whole deck', WHOLE_DECK, 0);
    check('on-ground', 60);
    check('ground-power', 364);
    const engines = document.getElementById('engines');
    const table = document.getElementById('readouts');
    for (let n = 0; n < 4; ++n) {
      const label = document.createElement('label');
      label.innerHTML = `<input id="engine${n + 1}" type="checkbox"> Engine ${n + 1} running`;
      engines.append(label);
      const box = label.firstChild;
      box.addEventListener('change', () => { api.setVar(ENGINE_RUNNING[n], box.checked ? 1 : 0); needFrame = true; });
      const row = table.insertRow();
      row.innerHTML = `<th>${n + 1}</th><td></td><td></td><td></td><td></td>`;
    }
    document.getElementById('model').addEventListener('change', (e) => api.setModel(e.target.checked ? 1 : 0));
    document.getElementById('speed').addEventListener('change', (e) => { speed = Number(e.target.value) || 1; });
    document.getElementById('var-set').addEventListener('click', () => {
      api.setVar(number('var-id'), number('var-value'));
      needFrame = true;
    });
    document.getElementById('sound').addEventListener('click', (e) => {
      if (!audio) audio = new AudioContext();
      audio.resume();
      e.target.disabled = true;
      e.target.textContent = 'Sound is on';
    });
    setInterval(() => {
      for (let n = 0; n < 4; ++n) {
        document.getElementById(`engine${n + 1}`).checked = api.getVar(ENGINE_RUNNING[n]) === 1;
        const cells = table.rows[n + 1].cells;
        cells[1].textContent = api.getVar(N1[n]).toFixed(1);
        cells[2].textContent = api.getVar(N2[n]).toFixed(1);
        cells[3].textContent = (api.getVar(EGT[n]) / 1.8 - 273.15).toFixed(0);
        cells[4].textContent = api.getVar(FUEL_FLOW[n]).toFixed(0);
      }
    }, 250);
  }

  // ---- For the tests ---------------------------------------------------------------
  function gauge(name) {
    const i = gauges.findIndex((g) => g.name === name);
    if (i < 0) throw new Error(`no gauge ${name} on the panel`);
    return gauges[i];
  }

  let readyResolve, readyReject;
  const ready = new Promise((resolve, reject) => { readyResolve = resolve; readyReject = reject; });
  window.tarnwick = {
    ready,
    gauges: () => gauges.map((g) => ({...g})),
    // The window shown (-1: the whole deck), and a way to show one.
    view: () => view,
    showView: (n) => showView(n),
    windows: () => Array.from({length: api.windowCount()}, (_, n) => ({
      title: api.windowTitle(n), top: api.windowBox(n, 0), width: api.windowBox(n, 1),
      height: api.windowBox(n, 2)})),
    // The window's background as the program has it, RGBA at (x, y) of the window.
    background(n, x, y) {
      const p = api.windowPixels(n), w = api.windowBox(n, 1);
      const at = p + 4 * (y * w + x);
      return Array.from(M.HEAPU8.subarray(at, at + 4));
    },
    // Brings the gauge into sight: its window, when one window is shown.
    reveal(name) {
      const g = gauge(name);
      if (view !== WHOLE_DECK && view !== g.window) showView(g.window);
    },
    // A point of a gauge (its own pixels) in the page's client coordinates.
    clientPoint(name, gx, gy) {
      const g = gauge(name);
      const r = canvas.getBoundingClientRect();
      const px = g.x + (gx + 0.5) * g.w / g.gw, py = g.y + (gy + 0.5) * g.h / g.gh;
      return {x: r.left + px * r.width / canvas.width, y: r.top + py * r.height / canvas.height};
    },
    // The canvas pixels of a gauge's box, RGBA.
    pixels(name) {
      const g = gauge(name);
      return Array.from(ctx.getImageData(g.x, g.y, g.w, g.h).data);
    },
    events: (from = 0) => JSON.parse(api.eventsJson(from)).map(
        ([source, id, value]) => ({source: source ? 'area' : 'module', id, value})),
    runTicks(count) { api.runTicks(count); redraw(); },
    setVar: (id, value) => { api.setVar(id, value); needFrame = true; },
    getVar: (id) => api.getVar(id),
    tooltip(name, gx, gy) {
      const g = gauge(name);
      return api.tooltip(gauges.indexOf(g), g.x + gx * g.w / g.gw, g.y + gy * g.h / g.gh);
    },
    // The sound notes from the from-th on, counted since the page loaded, so
    // that a count taken earlier still points at the same note after the
    // oldest notes are dropped; soundCount() is the count so far.
    sounds: (from = 0) => soundLog.slice(Math.max(from - soundsDropped, 0)),
    soundCount: () => soundsDropped + soundLog.length,
  };

  createTarnwick({
    printErr: (text) => console.warn(text),
  }).then((module) => {
    M = module;
    api = bind();
    const count = api.start('/panel.cfg');
    if (count < 0) throw new Error(`the cockpit did not start: ${api.error()}`);
    canvas.width = api.width();
    canvas.height = api.height();
    ctx.fillStyle = '#1a1b1d';
    ctx.fillRect(0, 0, canvas.width, canvas.height);
    // Each window's background, under its gauges.
    for (let n = 0; n < api.windowCount(); ++n) {
      const w = api.windowBox(n, 1), h = api.windowBox(n, 2);
      const bytes = new Uint8ClampedArray(M.HEAPU8.buffer, api.windowPixels(n), w * h * 4);
      ctx.putImageData(new ImageData(new Uint8ClampedArray(bytes), w, h), 0, api.windowBox(n, 0));
    }
    for (let i = 0; i < count; ++i) {
      const b = (part) => api.gaugeBox(i, part);
      gauges.push({name: api.gaugeName(i), x: b(0), y: b(1), w: b(2), h: b(3), gw: b(4) || 1,
                   gh: b(5) || 1, window: b(6)});
    }
    setupSide();
    showView(0);
    redraw();
    status.textContent = `${count} gauges`;
    requestAnimationFrame(loop);
    readyResolve();
  }).catch((e) => {
    status.textContent = String(e);
    console.error(String(e));
    readyReject(e);
  });
})();
