// SPDX-License-Identifier: BSD-3-Clause
// The tuner's page: controls built from the settings the server describes, in words, grouped;
// undo and redo of setting changes; the keyboard's shortcuts. Only the newest settings are
// rendered: while a change is on its way, further changes are gathered into one.
'use strict';

const $ = (id) => document.getElementById(id);
const form = $('settings');

let state = null;        // the last settings the server confirmed
let sending = false;     // a settings change is on its way
let queued = null;       // the fields to send once it is answered
let rememberWanted = false;  // a change the user finished: keep it in the history once sent
let history = [];        // the settings the user had, for undo and redo
let historyAt = -1;      // where in the history the shown settings are
let clickTimer = null;   // a slider's change waiting to be kept in the history
const DOUBLE_CLICK_MS = 400;

const GROUPS = [['tone', 'Tone'], ['detail', 'Detail'], ['colour', 'Colour'],
                ['advanced', 'Advanced']];

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

function numberControls(setting, row) {
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
  number.setAttribute('aria-label', `${setting.label}, value`);
  range.addEventListener('input', () => {
    number.value = range.value;
    dragged();
    changed(setting.name);
  });
  // The hand let go: the change is done, for the history and for the full preview.
  range.addEventListener('change', () => {
    settled();
    // Kept a moment first: the first click of a double-click moves the slider, and the
    // default the double-click gives replaces that move in the history.
    clearTimeout(clickTimer);
    clickTimer = setTimeout(keepSliderMove, DOUBLE_CLICK_MS);
  });
  range.addEventListener('dblclick', () => toDefault(setting));
  number.addEventListener('change', () => {
    // An emptied or unreadable box is not a value: it shows the last one again.
    if (number.value === '' || !number.checkValidity()) {
      number.value = range.value;
      return;
    }
    range.value = number.value;
    rememberWanted = true;
    changed(setting.name);
  });
  row.append(range, number);
}

function choiceControl(setting, row) {
  const select = document.createElement('select');
  select.name = setting.name;
  for (const choice of setting.choices) select.add(new Option(choice, choice));
  select.value = setting.value;
  select.addEventListener('change', () => { rememberWanted = true; changed(setting.name); });
  row.append(select, document.createElement('span'));
}

// One row: the label in words with its unit, the controls, and a button back to the default.
// The explanation shows on hover and focus; the sidecar name stays in the tooltip.
function settingRow(setting) {
  const row = document.createElement('div');
  row.className = 'setting';
  row.title = `${setting.help} (${setting.name}; double-click the slider for the default)`;
  const label = document.createElement('label');
  label.htmlFor = setting.name;
  label.textContent = setting.label;
  const unit = document.createElement('span');
  unit.className = 'unit';
  unit.textContent = setting.unit;
  label.appendChild(unit);
  row.appendChild(label);
  if (setting.kind === 'choice') choiceControl(setting, row);
  else numberControls(setting, row);
  const control = row.querySelector(`[name="${setting.name}"]`);
  control.id = setting.name;
  const help = document.createElement('span');
  help.className = 'sr-only';
  help.id = `help-${setting.name}`;
  help.textContent = setting.help;
  row.appendChild(help);
  control.setAttribute('aria-describedby', help.id);
  const reset = document.createElement('button');
  reset.type = 'button';
  reset.className = 'default';
  reset.textContent = '↺';
  reset.title = `${setting.label} back to its default`;
  reset.setAttribute('aria-label', reset.title);
  reset.addEventListener('click', () => toDefault(setting));
  row.appendChild(reset);
  const explain = () => { $('help').textContent = `${setting.label}: ${setting.help}`; };
  row.addEventListener('mouseenter', explain);
  row.addEventListener('focusin', explain);
  return row;
}

// The rows, grouped as photographers look for them.
function buildControls(s) {
  const box = $('controls');
  box.textContent = '';
  for (const [group, title] of GROUPS) {
    const members = s.settings.filter((setting) => setting.group === group);
    if (members.length === 0) continue;
    const fieldset = document.createElement('fieldset');
    const legend = document.createElement('legend');
    legend.textContent = title;
    fieldset.appendChild(legend);
    for (const setting of members) fieldset.appendChild(settingRow(setting));
    box.appendChild(fieldset);
  }
}

function toDefault(setting) {
  clearTimeout(clickTimer);
  clickTimer = null;
  const control = form.elements[setting.name];
  control.value = setting.default;
  const number = form.querySelector(`input.number[data-for="${setting.name}"]`);
  if (number) number.value = setting.default;
  rememberWanted = true;
  changed(setting.name);
}

function sameControls(a, b) {
  if (!a || a.method !== b.method || a.settings.length !== b.settings.length) return false;
  return a.settings.every((s, i) => s.name === b.settings[i].name && s.kind === b.settings[i].kind);
}

// Shows what the server holds, rebuilding the rows only when they differ; the control being
// dragged keeps its position. Returns the coarse preview's promise while a slider moves.
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
  const photoChanged = !state || state.file !== s.file;
  state = s;
  $('file').textContent = `${s.file} (${s.width} x ${s.height})`;
  if (s.notes && s.notes.length) say(s.notes.join('; '), false);
  if (photoChanged) photoShown();
  return render();
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
    await show(s);
  } catch (e) {
    say(e.message, true);
  } finally {
    sending = false;
    if (queued) {
      const next = queued;
      queued = null;
      send(next);
    } else if (rememberWanted) {
      rememberWanted = false;
      remember();
    }
  }
}

// Undo and redo: the history holds whole sets of settings, each sent back as it was.
function snapshot(s) {
  const out = { method: s.method };
  for (const setting of s.settings) out[setting.name] = String(setting.value);
  return out;
}

function remember() {
  if (!state) return;
  const now = snapshot(state);
  if (historyAt >= 0 && JSON.stringify(history[historyAt]) === JSON.stringify(now)) return;
  history = history.slice(0, historyAt + 1);
  history.push(now);
  historyAt = history.length - 1;
  historyButtons();
}

// Marked unavailable rather than disabled, so that the keyboard still reaches them.
function keepSliderMove() {
  clearTimeout(clickTimer);
  clickTimer = null;
  if (sending) rememberWanted = true;
  else remember();
}

function historyButtons() {
  $('undo').setAttribute('aria-disabled', String(historyAt <= 0));
  $('redo').setAttribute('aria-disabled', String(historyAt >= history.length - 1));
}

function goBack(step) {
  if (clickTimer !== null) keepSliderMove();
  const to = historyAt + step;
  if (to < 0 || to >= history.length) return;
  historyAt = to;
  historyButtons();
  send(history[to]);
}

async function replaceSettings(path, fields, done) {
  try {
    show(await call('POST', path, fields));
    remember();
    if (done) say(done, false);
  } catch (e) {
    say(e.message, true);
  }
}

// Shortcuts, except while typing into a text box.
function onKey(event) {
  const typing = event.target.matches('input[type=text], input[type=number]');
  const key = event.key.toLowerCase();
  if ((event.ctrlKey || event.metaKey) && key === 'z' && !typing) {
    event.preventDefault();
    goBack(event.shiftKey ? 1 : -1);
  } else if ((event.ctrlKey || event.metaKey) && key === 'y' && !typing) {
    event.preventDefault();
    goBack(1);
  } else if (typing || event.ctrlKey || event.metaKey || event.altKey) {
    return;
  } else if (event.key === '\\') {
    event.preventDefault();
    toggleWholeBefore();
  } else if (key === 'j') {
    event.preventDefault();
    $('clipping').click();
  }
}

function start() {
  form.elements.method.addEventListener('change', () => {
    rememberWanted = true;
    send({ method: form.elements.method.value });
  });
  form.addEventListener('submit', (e) => e.preventDefault());
  $('reset').addEventListener('click',
                              () => replaceSettings('/api/reset',
                                                    { method: form.elements.method.value }));
  $('undo').addEventListener('click', () => goBack(-1));
  $('redo').addEventListener('click', () => goBack(1));
  $('load').addEventListener('click', () => {
    state = null;
    replaceSettings('/api/load', { path: $('sidecar-path').value },
                    'loaded ' + $('sidecar-path').value);
  });
  $('save').addEventListener('click', async () => {
    try {
      const r = await call('POST', '/api/save', { path: $('sidecar-path').value });
      say('saved ' + r.saved, false);
    } catch (e) {
      say(e.message, true);
    }
  });
  document.addEventListener('keydown', onKey);
  startPicture();
  startFolder();
  call('GET', '/api/settings').then((s) => { show(s); remember(); })
                              .catch((e) => say(e.message, true));
}

window.addEventListener('DOMContentLoaded', start);
