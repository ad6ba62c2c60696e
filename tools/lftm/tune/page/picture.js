// SPDX-License-Identifier: BSD-3-Clause
// The picture: previews (coarse while a slider moves, fine once it rests), the before/after
// split and the whole "before", the clipping warnings, the magnified views with panning, the
// histogram, and the render indicator.
'use strict';

const PAUSE_MS = 250;      // a slider still for this long: the hand has stopped
let lastDrag = -Infinity;  // when a slider last moved
let settleTimer = null;
let requestedQuality = '';  // of the newest preview asked for
let previewTicket = 0;     // grows with every preview request; older answers are dropped
let zoomLevel = 'fit';
let centre = null;         // the full image's pixel the magnified view is around
let windowTicket = 0;
let wholeBefore = false;
let beforeKey = null;      // the photograph and overlay the "before" picture shows
const tasks = new Map();   // renders on their way, with their start times
let lastRender = null;     // { ms, note } of the last render that arrived

function showStatus(doing) {
  const last = lastRender
    ? `last render ${lastRender.ms} ms${lastRender.note ? ` (${lastRender.note})` : ''}` : '';
  const busy = tasks.size > 0;
  $('status').classList.toggle('busy', busy);
  $('status').textContent = (busy ? `Rendering${doing || ''}…` : 'Ready') +
                            (last ? ` · ${last}` : '');
}

function begin(task) {
  tasks.set(task, performance.now());
  showStatus();
}

function end(task, note) {
  const started = tasks.get(task);
  if (started === undefined) return;
  tasks.delete(task);
  lastRender = { ms: Math.round(performance.now() - started), note };
  showStatus();
}

function drop(task) {
  tasks.delete(task);
  showStatus();
}

function clippingQuery() {
  return $('clipping').checked ? '&clipping=1' : '';
}

// A picture of the server as an address the page may show; throws with the reply's status.
async function fetchPicture(address) {
  const response = await fetch(address);
  if (!response.ok) {
    const json = await response.json().catch(() => ({}));
    const error = new Error(json.error || response.statusText);
    error.status = response.status;
    throw error;
  }
  return URL.createObjectURL(await response.blob());
}

async function setPicture(img, url) {
  const old = img.src;
  img.src = url;
  await img.decode().catch(() => {});
  if (old.startsWith('blob:')) URL.revokeObjectURL(old);
}

function dragged() {
  lastDrag = performance.now();
}

// The hand stopped: the fine preview replaces the coarse one.
function settled() {
  lastDrag = -Infinity;
  clearTimeout(settleTimer);
  if (state && requestedQuality === 'coarse') loadPreview('fine');
}

// Renders the settings shown. While a slider moves, returns the coarse preview's promise: the
// next change waits for it, so that each move shows a picture instead of cancelling the last.
function render() {
  if (!state) return null;
  const coarse = performance.now() - lastDrag < PAUSE_MS;
  clearTimeout(settleTimer);
  if (coarse) settleTimer = setTimeout(settled, PAUSE_MS);
  const loading = loadPreview(coarse ? 'coarse' : 'fine');
  if (zoomLevel !== 'fit') loadWindow();
  return coarse ? loading : null;
}

async function loadPreview(quality) {
  const generation = state.generation;
  const ticket = ++previewTicket;
  requestedQuality = quality;
  begin('preview');
  try {
    const url = await fetchPicture(
      `/api/preview?generation=${generation}&quality=${quality}${clippingQuery()}`);
    if (ticket !== previewTicket) {
      URL.revokeObjectURL(url);
      return;
    }
    const preview = $('preview');
    await setPicture(preview, url);
    preview.dataset.generation = generation;
    preview.dataset.quality = quality;
    end('preview', quality === 'coarse' ? 'coarse preview' : 'preview');
    drawHistogram(generation, quality);
  } catch (e) {
    if (ticket !== previewTicket) return;
    drop('preview');
    // A render that failed says why; one that newer settings replaced says nothing.
    if (e.status !== 409) say(e.message, true);
  }
}

function drawHistogramAxes(g, plot) {
  g.strokeStyle = '#666';
  g.fillStyle = '#999';
  g.font = '10px sans-serif';
  g.beginPath();
  g.moveTo(plot.left, plot.top);
  g.lineTo(plot.left, plot.bottom);
  g.lineTo(plot.right, plot.bottom);
  g.stroke();
  g.textAlign = 'center';
  for (const level of [0, 64, 128, 192, 255]) {
    const x = plot.left + level / 255 * (plot.right - plot.left);
    g.fillText(String(level), x, plot.bottom + 11);
  }
  g.save();
  g.translate(9, (plot.top + plot.bottom) / 2);
  g.rotate(-Math.PI / 2);
  g.fillText('pixels', 0, 0);
  g.restore();
}

// The luminance and channel histograms (the 1024 counters of the render), with the share of
// clipped pixels at both ends.
async function drawHistogram(generation, quality) {
  let h;
  try {
    h = await call('GET', `/api/histogram?generation=${generation}&quality=${quality}`);
  } catch (e) {
    return;  // newer settings came; their histogram follows
  }
  const canvas = $('histogram');
  const g = canvas.getContext('2d');
  g.clearRect(0, 0, canvas.width, canvas.height);
  const plot = { left: 16, top: 3, right: canvas.width - 10, bottom: canvas.height - 14 };
  const width = plot.right - plot.left, height = plot.bottom - plot.top;
  const colours = ['rgba(255,80,80,0.6)', 'rgba(80,255,80,0.6)', 'rgba(80,120,255,0.6)', '#ddd'];
  const offsets = [256, 512, 768, 0];
  let top = 1;
  for (let i = 1; i < 255; i++) top = Math.max(top, h.counts[i]);
  offsets.forEach((offset, k) => {
    g.fillStyle = colours[k];
    for (let i = 0; i < 256; i++) {
      const v = Math.min(1, h.counts[offset + i] / top);
      g.fillRect(plot.left + i / 256 * width, plot.bottom - height * v, width / 256 + 0.5,
                 height * v);
    }
  });
  drawHistogramAxes(g, plot);
  const percent = (share) => `${(share * 100).toFixed(2)} %`;
  $('clip-shares').textContent =
    `Clipped: ${percent(h.clippedBlack)} to black · ${percent(h.clippedWhite)} to white`;
  canvas.dataset.generation = generation;
}

// The preview fitted into the frame, its "before" and the divider laid over it.
function layoutStack() {
  if (!state) return;
  const frame = $('frame');
  const scale = Math.min(frame.clientWidth / state.previewWidth,
                         frame.clientHeight / state.previewHeight);
  $('stack').style.width = `${Math.floor(state.previewWidth * scale)}px`;
  $('stack').style.height = `${Math.floor(state.previewHeight * scale)}px`;
}

async function loadBefore() {
  const key = `${state.file}|${clippingQuery()}`;
  if (beforeKey === key) return;
  beforeKey = key;
  try {
    const url = await fetchPicture(`/api/preview?view=before${clippingQuery()}`);
    if (beforeKey !== key) {
      URL.revokeObjectURL(url);
      return;
    }
    await setPicture($('before'), url);
  } catch (e) {
    beforeKey = null;
    say(e.message, true);
  }
}

function beforeShown() {
  const split = $('split').checked;
  $('before').hidden = !split && !wholeBefore;
  $('before').classList.toggle('whole', wholeBefore);
  $('divider').hidden = !split || wholeBefore;
  if (!$('before').hidden) loadBefore();
}

function toggleWholeBefore() {
  wholeBefore = !wholeBefore;
  $('before-after').textContent = wholeBefore ? 'Show after' : 'Show before';
  $('before-after').setAttribute('aria-pressed', String(wholeBefore));
  if (zoomLevel !== 'fit') setZoom('fit');
  beforeShown();
}

function setDivider(percent) {
  const p = Math.max(0, Math.min(100, percent));
  $('divider').style.left = `${p}%`;
  $('divider').setAttribute('aria-valuenow', String(Math.round(p)));
  $('before').style.clipPath = `inset(0 ${100 - p}% 0 0)`;
}

function startDivider() {
  const divider = $('divider');
  const follow = (event) => {
    const box = $('stack').getBoundingClientRect();
    setDivider((event.clientX - box.left) / box.width * 100);
  };
  divider.addEventListener('pointerdown', (event) => {
    divider.setPointerCapture(event.pointerId);
    divider.addEventListener('pointermove', follow);
  });
  divider.addEventListener('pointerup', () => divider.removeEventListener('pointermove', follow));
  divider.addEventListener('keydown', (event) => {
    const now = Number(divider.getAttribute('aria-valuenow'));
    const moves = { ArrowLeft: -2, ArrowRight: 2, PageDown: -10, PageUp: 10 };
    if (event.key in moves) setDivider(now + moves[event.key]);
    else if (event.key === 'Home') setDivider(0);
    else if (event.key === 'End') setDivider(100);
    else return;
    event.preventDefault();
  });
}

function setZoom(level, point) {
  zoomLevel = level;
  $('zoom').value = level;
  const fit = level === 'fit';
  $('stack').hidden = !fit;
  $('magnified').hidden = fit;
  if (fit) {
    windowTicket++;
    drop('window');
    layoutStack();
    return;
  }
  if (point) centre = point;
  if (!centre) centre = { x: state.width >> 1, y: state.height >> 1 };
  loadWindow();
}

// The magnified view of the current settings around `centre`, as large as the frame. The view
// shown until it comes is marked stale; an answer for older settings or another place is
// dropped. The Texture Booster's needs the whole image rendered first, which the server does
// meanwhile.
function loadWindow() {
  const scale = Number(zoomLevel) / 100;
  const frame = $('frame');
  const size = Math.max(16, Math.min(1024, Math.ceil(
    Math.max(frame.clientWidth, frame.clientHeight) / scale)));
  const keep = (v, length) => Math.floor(Math.max(Math.min(size / 2, length / 2),
                                                  Math.min(v, Math.max(length - size / 2,
                                                                       length / 2))));
  const x = keep(centre.x, state.width), y = keep(centre.y, state.height);
  centre = { x, y };
  const generation = state.generation;
  const ticket = ++windowTicket;
  const img = $('magnified');
  img.classList.add('stale');
  begin('window');
  const ask = async () => {
    const response = await fetch(`/api/zoom?x=${x}&y=${y}&size=${size}${clippingQuery()}`);
    if (ticket !== windowTicket) return;
    if (response.status === 202) {
      showStatus(' the whole image');
      setTimeout(ask, 400);
      return;
    }
    if (!response.ok) {
      const json = await response.json().catch(() => ({}));
      drop('window');
      say(json.error || response.statusText, true);
      return;
    }
    const url = URL.createObjectURL(await response.blob());
    if (ticket !== windowTicket) return URL.revokeObjectURL(url);
    await setPicture(img, url);
    img.style.width = `${img.naturalWidth * scale}px`;
    img.style.height = `${img.naturalHeight * scale}px`;
    img.style.transform = 'translate(-50%, -50%)';
    img.dataset.generation = generation;
    img.classList.remove('stale');
    end('window', `${zoomLevel} %`);
  };
  ask();
}

// Dragging the magnified view moves it with the hand, then asks for the view around the new
// centre.
function startPanning() {
  const img = $('magnified');
  let from = null;
  img.addEventListener('pointerdown', (event) => {
    from = { x: event.clientX, y: event.clientY };
    img.setPointerCapture(event.pointerId);
    img.classList.add('dragging');
  });
  img.addEventListener('pointermove', (event) => {
    if (!from) return;
    img.style.transform = `translate(calc(-50% + ${event.clientX - from.x}px), ` +
                          `calc(-50% + ${event.clientY - from.y}px))`;
  });
  img.addEventListener('pointerup', (event) => {
    if (!from) return;
    const scale = Number(zoomLevel) / 100;
    centre = { x: centre.x - (event.clientX - from.x) / scale,
               y: centre.y - (event.clientY - from.y) / scale };
    from = null;
    img.classList.remove('dragging');
    loadWindow();
  });
}

// A click on the fitted picture shows it at 100 % around that point.
function zoomAtClick(event) {
  if (!state || event.target === $('divider')) return;
  const box = $('stack').getBoundingClientRect();
  setZoom('100', { x: Math.floor((event.clientX - box.left) / box.width * state.width),
                   y: Math.floor((event.clientY - box.top) / box.height * state.height) });
}

// Another photograph came: its own "before", centre and size.
function photoShown() {
  beforeKey = null;
  centre = null;
  layoutStack();
  beforeShown();
}

function startPicture() {
  $('zoom').addEventListener('change', () => setZoom($('zoom').value));
  $('split').addEventListener('change', () => {
    if (zoomLevel !== 'fit') setZoom('fit');
    beforeShown();
  });
  $('before-after').addEventListener('click', toggleWholeBefore);
  $('clipping').addEventListener('change', () => {
    render();
    beforeShown();
  });
  $('stack').addEventListener('click', zoomAtClick);
  window.addEventListener('resize', layoutStack);
  startDivider();
  startPanning();
}
