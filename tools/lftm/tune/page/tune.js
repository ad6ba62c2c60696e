// The tuner's page: controls built from the settings the server describes, previews rendered
// by the server. Only the newest settings are rendered: while a change is on its way, further
// changes are gathered into one.
'use strict';

const $ = (id) => document.getElementById(id);
const form = $('settings');
const preview = $('preview');

let state = null;        // the last settings the server confirmed
let sending = false;     // a settings change is on its way
let queued = null;       // the fields to send once it is answered
let showBefore = false;
let zoomPoint = null;     // the full image's pixel the 1:1 view is around
let zoomRequest = 0;      // grows with every 1:1 request; older answers are dropped
let zoomGeneration = 0;   // the settings the last 1:1 request was for

function say(text, isError) {
  $('message').textContent = text || '';
  $('message').className = isError ? 'error' : '';
}

// The session's cookie goes with every request of the page's own origin.
async function call(method, path, fields) {
  const options = { method };
  if (fields) {
    options.body = new URLSearchParams(fields);
  }
  const response = await fetch(path, options);
  const json = await response.json().catch(() => ({}));
  if (!response.ok) throw new Error(json.error || response.statusText);
  return json;
}

function decimalsStep(decimals) {
  return decimals > 3 ? 'any' : String(Math.pow(10, -decimals));
}

// One row per setting: a slider and a number for numbers, a list for words.
function buildControls(s) {
  const box = $('controls');
  box.textContent = '';
  for (const setting of s.settings) {
    const row = document.createElement('div');
    row.className = 'setting';
    const label = document.createElement('label');
    label.textContent = setting.name;
    row.appendChild(label);
    if (setting.kind === 'choice') {
      const select = document.createElement('select');
      select.name = setting.name;
      for (const choice of setting.choices) select.add(new Option(choice, choice));
      select.value = setting.value;
      select.addEventListener('change', () => changed(setting.name));
      row.appendChild(select);
      row.appendChild(document.createElement('span'));
    } else {
      const range = document.createElement('input');
      range.type = 'range';
      range.name = setting.name;
      range.min = setting.low;
      range.max = setting.high;
      range.step = setting.decimals > 3 ? String((setting.high - setting.low) / 1000)
                                         : decimalsStep(setting.decimals);
      range.value = setting.value;
      const number = document.createElement('input');
      number.type = 'number';
      number.className = 'number';
      number.dataset.for = setting.name;
      number.min = setting.low;
      number.max = setting.high;
      number.step = decimalsStep(setting.decimals);
      number.value = setting.value;
      range.addEventListener('input', () => { number.value = range.value; changed(setting.name); });
      number.addEventListener('change', () => {
        // An emptied or unreadable box is not a value: it shows the last one again.
        if (number.value === '' || !number.checkValidity()) {
          number.value = range.value;
          return;
        }
        range.value = number.value;
        changed(setting.name);
      });
      row.appendChild(range);
      row.appendChild(number);
    }
    label.htmlFor = setting.name;
    box.appendChild(row);
  }
}

function sameControls(a, b) {
  if (!a || a.method !== b.method || a.settings.length !== b.settings.length) return false;
  return a.settings.every((s, i) => s.name === b.settings[i].name && s.kind === b.settings[i].kind);
}

// Shows what the server holds, rebuilding the rows only when they differ; the control being
// dragged keeps its position.
function show(s) {
  const methods = form.elements.method;
  if (methods.options.length === 0) {
    for (const m of s.methods) methods.add(new Option(m, m));
  }
  methods.value = s.method;
  if (!sameControls(state, s)) {
    buildControls(s);
  } else if (!queued) {
    for (const setting of s.settings) {
      const control = form.elements[setting.name];
      if (control !== document.activeElement) control.value = setting.value;
      const number = form.querySelector(`input.number[data-for="${setting.name}"]`);
      if (number && number !== document.activeElement) number.value = setting.value;
    }
  }
  state = s;
  $('file').textContent = `${s.file} (${s.width} x ${s.height})`;
  if (s.notes && s.notes.length) say(s.notes.join('; '), false);
  render();
}

function fields(skip) {
  const out = { method: form.elements.method.value };
  for (const setting of state.settings) {
    if (setting.name !== skip) out[setting.name] = form.elements[setting.name].value;
  }
  return out;
}

function changed(name) {
  // A new smoothing mode takes the other kind of Smoothing value: let the server choose it.
  send(fields(name === 'SmoothingMode' ? 'Smoothing' : null));
}

async function send(f) {
  if (sending) {
    queued = f;
    return;
  }
  sending = true;
  try {
    const s = await call('POST', '/api/settings', f);
    if (!queued) say('', false);
    show(s);
  } catch (e) {
    say(e.message, true);
  } finally {
    sending = false;
    if (queued) {
      const next = queued;
      queued = null;
      send(next);
    }
  }
}

function render() {
  if (!state) return;
  const generation = state.generation;
  const view = showBefore ? 'before' : 'after';
  preview.onload = () => {
    preview.dataset.generation = generation;
    preview.dataset.view = view;
    if (!showBefore) drawHistogram(generation);
  };
  const address = `/api/preview?generation=${generation}&view=${view}`;
  preview.onerror = async () => {
    // A render that failed says why; one that newer settings replaced says nothing.
    const response = await fetch(address);
    if (response.status !== 409 && !response.ok) {
      const json = await response.json().catch(() => ({}));
      say(json.error || response.statusText, true);
    }
  };
  preview.src = address;
  if (zoomPoint && zoomGeneration !== generation) refreshZoom();
}

async function drawHistogram(generation) {
  let h;
  try {
    h = await call('GET', `/api/histogram?generation=${generation}`);
  } catch (e) {
    return;  // newer settings came; their histogram follows
  }
  const canvas = $('histogram');
  const g = canvas.getContext('2d');
  g.clearRect(0, 0, canvas.width, canvas.height);
  const colours = ['rgba(255,80,80,0.6)', 'rgba(80,255,80,0.6)', 'rgba(80,120,255,0.6)', '#ddd'];
  const offsets = [256, 512, 768, 0];
  let top = 1;
  for (let i = 1; i < 255; i++) top = Math.max(top, h.counts[i]);
  offsets.forEach((offset, k) => {
    g.fillStyle = colours[k];
    for (let i = 0; i < 256; i++) {
      const v = Math.min(1, h.counts[offset + i] / top);
      g.fillRect(i, canvas.height * (1 - v), 1, canvas.height * v);
    }
  });
  canvas.dataset.generation = generation;
}

function zoomAt(event) {
  if (!state) return;
  zoomPoint = {
    x: Math.floor(event.offsetX / preview.clientWidth * state.width),
    y: Math.floor(event.offsetY / preview.clientHeight * state.height),
  };
  refreshZoom();
}

// Asks for the 1:1 view of the current settings around zoomPoint. The view shown until it
// comes is marked stale; an answer for settings that changed meanwhile is dropped, and the
// newer settings' request follows.
function refreshZoom() {
  const { x, y } = zoomPoint;
  const request = ++zoomRequest;
  const generation = state.generation;
  zoomGeneration = generation;
  $('zoom').classList.add('stale');
  const current = () => request === zoomRequest && state.generation === generation;
  const ask = async () => {
    const response = await fetch(`/api/zoom?x=${x}&y=${y}&size=256`);
    if (!current()) return;
    if (response.status === 202) {
      $('zoom-status').textContent = 'rendering the whole image...';
      setTimeout(ask, 500);
      return;
    }
    if (!response.ok) {
      const json = await response.json().catch(() => ({}));
      $('zoom-status').textContent = json.error || response.statusText;
      return;
    }
    const blob = await response.blob();
    if (!current()) return;
    const old = $('zoom').src;
    $('zoom').src = URL.createObjectURL(blob);
    if (old.startsWith('blob:')) URL.revokeObjectURL(old);
    $('zoom').dataset.generation = generation;
    $('zoom').classList.remove('stale');
    $('zoom-status').textContent = `around ${x}, ${y}`;
  };
  ask();
}

async function pollExport() {
  let s;
  try {
    s = await call('GET', '/api/export');
  } catch (e) {
    $('export-status').textContent = e.message;
    return;
  }
  $('progress').value = s.fraction;
  $('export-status').textContent = s.message;
  $('export-status').className = s.finished && !s.succeeded ? 'error' : '';
  $('cancel').disabled = !s.running;
  $('export').disabled = s.running;
  if (s.running) setTimeout(pollExport, 200);
}

form.elements.method.addEventListener('change', () => send({ method: form.elements.method.value }));
form.addEventListener('submit', (e) => e.preventDefault());
preview.addEventListener('click', zoomAt);

$('reset').addEventListener('click', async () => {
  try {
    show(await call('POST', '/api/reset', { method: form.elements.method.value }));
  } catch (e) {
    say(e.message, true);
  }
});

$('before-after').addEventListener('click', () => {
  showBefore = !showBefore;
  $('before-after').textContent = showBefore ? 'Show after' : 'Show before';
  $('before-after').setAttribute('aria-pressed', String(showBefore));
  render();
});

$('load').addEventListener('click', async () => {
  try {
    state = null;
    show(await call('POST', '/api/load', { path: $('sidecar-path').value }));
    say('loaded ' + $('sidecar-path').value, false);
  } catch (e) {
    say(e.message, true);
  }
});

$('save').addEventListener('click', async () => {
  try {
    const r = await call('POST', '/api/save', { path: $('sidecar-path').value });
    say('saved ' + r.saved, false);
  } catch (e) {
    say(e.message, true);
  }
});

$('export').addEventListener('click', async () => {
  try {
    const fields = { path: $('export-path').value, bits: $('export-bits').value,
                     overwrite: $('export-overwrite').checked ? '1' : '0' };
    await call('POST', '/api/export', fields);
    $('progress').value = 0;
    pollExport();
  } catch (e) {
    $('export-status').textContent = e.message;
    $('export-status').className = 'error';
  }
});

$('cancel').addEventListener('click', async () => {
  try {
    await call('POST', '/api/cancel');
  } catch (e) {
    say(e.message, true);
  }
  pollExport();
});

call('GET', '/api/settings').then(show).catch((e) => say(e.message, true));
