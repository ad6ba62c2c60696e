// SPDX-License-Identifier: BSD-3-Clause
// The folder: a strip of thumbnails of its photographs (choosing one keeps the settings), and
// the exports, of the photograph shown or of all of them, with progress and cancel.
'use strict';

function markCurrent(name) {
  for (const button of $('thumbnails').querySelectorAll('button')) {
    button.setAttribute('aria-current', String(button.dataset.file === name));
  }
}

async function openPhoto(name) {
  begin('photo');
  try {
    const s = await call('POST', '/api/open', { file: name });
    end('photo', 'opened');
    markCurrent(name);
    show(s);
  } catch (e) {
    drop('photo');
    say(e.message, true);
  }
}

// The thumbnails load one after the other, so that the first preview is not kept waiting.
async function loadThumbnails() {
  let list;
  try {
    list = await call('GET', '/api/photos');
  } catch (e) {
    return;
  }
  const strip = $('thumbnails');
  strip.textContent = '';
  if (list.files.length < 2) return;
  const images = [];
  for (const name of list.files) {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.file = name;
    button.title = name;
    button.setAttribute('aria-label', `Open ${name}`);
    const img = document.createElement('img');
    img.alt = '';
    const caption = document.createElement('span');
    caption.textContent = name;
    button.append(img, caption);
    button.addEventListener('click', () => openPhoto(name));
    strip.appendChild(button);
    images.push([img, name]);
  }
  markCurrent(list.current);
  for (const [img, name] of images) {
    await new Promise((done) => {
      img.onload = img.onerror = done;
      img.src = `/api/thumbnail?file=${encodeURIComponent(name)}`;
    });
  }
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
  const count = s.total > 1 ? ` (${s.done} of ${s.total} written)` : '';
  $('export-status').textContent = s.message + (s.running ? count : '');
  $('export-status').className = s.finished && !s.succeeded ? 'error' : '';
  $('cancel').disabled = !s.running;
  $('export').disabled = s.running;
  $('export-all').disabled = s.running;
  if (s.running) setTimeout(pollExport, 200);
}

async function startExport(path, fields) {
  try {
    await call('POST', path, Object.assign(fields, {
      bits: $('export-bits').value,
      overwrite: $('export-overwrite').checked ? '1' : '0',
    }));
    $('progress').value = 0;
    pollExport();
  } catch (e) {
    $('export-status').textContent = e.message;
    $('export-status').className = 'error';
  }
}

function startFolder() {
  $('export').addEventListener('click',
                               () => startExport('/api/export', { path: $('export-path').value }));
  $('export-all').addEventListener(
    'click', () => startExport('/api/export-all', { folder: $('export-folder').value }));
  $('cancel').addEventListener('click', async () => {
    try {
      await call('POST', '/api/cancel');
    } catch (e) {
      say(e.message, true);
    }
    pollExport();
  });
  loadThumbnails();
}
