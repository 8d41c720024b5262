// The page around the program: it checks that the browser has what the show needs, downloads
// the program and its Data with progress (a failed file can be fetched again), and offers Play
// (browsers allow sound only after a gesture). Then the canvas kept at the window's size and
// pixel ratio, controls that work by touch too (full screen, end), the screen kept awake, the
// program's message box as an overlay, and an end screen.
//
// The "sharp" choice has the show drawn at the canvas's pixel size (4:3 kept) rather than
// 640 x 480; ?sharp=1 makes it.
//
// ?fps=N&frames=a,b,... runs the show on the virtual clock instead and collects those frames
// in window.vellomire.frames (the browser tests use it); nothing is played then.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const play = document.getElementById('play');
  const query = new URLSearchParams(location.search);
  const sharp = document.getElementById('sharp');
  sharp.checked = query.get('sharp') === '1';
  const names = document.body.dataset; // the program's files, as the site names them
  const state = window.vellomire = {
    ready: false, started: false, ended: false, exitStatus: null, message: null,
    presents: 0, clickTime: 0, firstFrameTime: 0, frames: [],
  };

  function show(id, shown) { document.getElementById(id).hidden = !shown; }
  function setText(id, text) { document.getElementById(id).textContent = text; }

  // What the show cannot do without, in the words the page uses for each.
  function missingFeatures() {
    const missing = [];
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
      missing.push('WebAssembly (to run the program)');
    }
    let webgl2 = null;
    try { webgl2 = document.createElement('canvas').getContext('webgl2'); } catch (e) { /* none */ }
    if (!webgl2) missing.push('WebGL 2 (the 3D graphics it draws with)');
    const lose = webgl2 && webgl2.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext(); // the program makes its own
    if (!window.AudioContext && !window.webkitAudioContext) {
      missing.push('Web Audio (to play its soundtrack)');
    }
    return missing;
  }

  // Downloads with progress. Content-Length counts the bytes on the wire, which are fewer than
  // the file's when the server compresses: the page then counts the file's own size, which the
  // site may give as data-*-size.
  const downloads = {};
  function showProgress() {
    const all = Object.values(downloads);
    const loaded = all.reduce((sum, d) => sum + d.loaded, 0);
    const total = all.reduce((sum, d) => sum + d.total, 0);
    const progress = document.getElementById('progress');
    const megabytes = (bytes) => (bytes / 1048576).toFixed(1);
    if (total > 0 && all.every((d) => d.total > 0)) {
      progress.value = Math.min(1, loaded / total);
      play.textContent = `Loading… ${Math.min(100, Math.floor(100 * loaded / total))} %`;
    } else {
      progress.removeAttribute('value');
      play.textContent = `Loading… ${megabytes(loaded)} MB`;
    }
  }

  async function download(name) {
    const entry = downloads[name] = { loaded: 0, total: Number(names[`${name}Size`] || 0) };
    const response = await fetch(names[name]);
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`.trim());
    if (!entry.total && !response.headers.get('Content-Encoding')) {
      entry.total = Number(response.headers.get('Content-Length') || 0);
    }
    const parts = [];
    const reader = response.body.getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      entry.loaded += value.length;
      showProgress();
    }
    const bytes = new Uint8Array(entry.loaded);
    let at = 0;
    for (const part of parts) { bytes.set(part, at); at += part.length; }
    entry.total = entry.loaded;
    showProgress();
    return bytes.buffer;
  }

  // The program's code, then its script; a file that failed is named with the reason, and
  // Retry fetches again what is still missing.
  const loaded = {};
  function loadScript(url) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = url;
      script.onload = resolve;
      script.onerror = () => { script.remove(); reject(new Error('could not be loaded')); };
      document.body.appendChild(script);
    });
  }

  async function load() {
    show('retry', false);
    show('progress', true);
    setText('status', '');
    const wanted = ['wasm', 'data'].filter((name) => !loaded[name]);
    const results = await Promise.allSettled(wanted.map((name) => download(name)));
    const failed = [];
    results.forEach((result, i) => {
      if (result.status === 'fulfilled') loaded[wanted[i]] = result.value;
      else failed.push(`${names[wanted[i]]}: ${result.reason.message}`);
    });
    if (!failed.length && !loaded.code) {
      Module.wasmBinary = loaded.wasm;
      await loadScript(names.code).then(() => { loaded.code = true; },
        (error) => failed.push(`${names.code}: ${error.message}`));
    }
    if (failed.length) {
      play.textContent = 'Not loaded';
      show('progress', false);
      setText('status', `A download failed (${failed.join('; ')}). ` +
        'Check the connection and retry.');
      show('retry', true);
    }
  }

  // A sharp show's canvas is the page's size in device pixels. The pixel ratio may change
  // without a resize (the window moved to another monitor, a zoom), and not every browser
  // tells: it is compared at each present. Otherwise the canvas is the program's 640 x 480
  // picture, which the browser scales up as it shows the page, sparing the program's GPU work
  // a full-window copy.
  let fittedRatio = 0;
  function fitCanvas() {
    const ratio = fittedRatio = window.devicePixelRatio || 1;
    const [width, height] = Module.sharp ? [canvas.clientWidth * ratio, canvas.clientHeight * ratio]
      : [640, 480];
    canvas.width = Math.max(1, Math.round(width));
    canvas.height = Math.max(1, Math.round(height));
  }

  // Full screen through the standard call or WebKit's (Safari before 16.4, the iPhone's
  // elements), neither of which need return a promise. In full screen Escape would only leave
  // it; where the browser allows (Keyboard Lock) it ends the show instead.
  const root = document.documentElement;
  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }
  function exitFullscreen() {
    const exit = document.exitFullscreen || document.webkitExitFullscreen;
    if (fullscreenElement() && exit) Promise.resolve(exit.call(document)).catch(() => {});
  }
  function toggleFullscreen() {
    if (fullscreenElement()) {
      exitFullscreen();
      return;
    }
    const request = root.requestFullscreen || root.webkitRequestFullscreen;
    if (request) Promise.resolve(request.call(root)).catch(() => {});
  }
  function lockEscape() {
    const keyboard = navigator.keyboard;
    if (!keyboard || !keyboard.lock) return;
    if (fullscreenElement()) keyboard.lock(['Escape']).catch(() => {});
    else keyboard.unlock();
  }

  // The screen stays on while the show plays; the browser drops the lock when the page is
  // hidden, so it is asked for again on return.
  let wakeLock = null;
  function keepAwake() {
    if (!navigator.wakeLock || wakeLock || state.ended || document.hidden) return;
    wakeLock = navigator.wakeLock.request('screen').then((lock) => {
      lock.addEventListener('release', () => { wakeLock = null; });
      if (state.ended) lock.release();
      return lock;
    }, () => { wakeLock = null; });
  }
  function letSleep() {
    if (wakeLock) wakeLock.then((lock) => lock && lock.release());
    wakeLock = null;
  }

  function start() {
    if (state.started || !state.ready) return;
    state.started = true;
    state.clickTime = performance.now();
    Module.sharp = sharp.checked;
    fitCanvas();
    show('start', false);
    show('controls', true);
    keepAwake();
    // Made inside the gesture, so the program's sound may play; it takes it from here. Where
    // the browser refuses the rate, the program's sound start-up tries and says what failed.
    if (!Module.capture) {
      const Context = window.AudioContext || window.webkitAudioContext;
      try {
        Module.audioContext = new Context({ sampleRate: 44100, latencyHint: 'interactive' });
        Module.audioContext.resume();
      } catch (error) {
        Module.audioContext = null;
      }
    }
    canvas.focus();
    try {
      Module.callMain([]);
    } catch (error) {
      Module.onAbort(error && error.message);
    }
  }

  function showMessageBox(caption, text) {
    state.message = { caption, text };
    setText('box-caption', caption);
    setText('box-text', text);
    show('box', true);
  }

  function showEnded(status) {
    state.ended = true;
    state.exitStatus = status;
    exitFullscreen();
    letSleep();
    if (Module.audioContext) Module.audioContext.close();
    show('controls', false);
    if (!state.message) show('end', true);
  }

  const frameList = query.get('frames');
  window.Module = {
    canvas: canvas,
    capture: frameList ? {
      fps: Number(query.get('fps') || 60),
      frames: frameList.split(',').map(Number),
    } : null,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    // The Data package, downloaded above.
    getPreloadedPackage: () => loaded.data,
    onRuntimeInitialized() {
      state.ready = true;
      play.disabled = false;
      play.textContent = 'Play';
      show('progress', false);
      if (Module.capture) start();
    },
    onAbort(what) {
      showMessageBox('The program stopped.', String(what || 'It ran into an error it cannot go on from.'));
      if (!state.ended) showEnded(-1);
    },
    onPresent() {
      if (state.presents++ === 0) state.firstFrameTime = performance.now();
      if ((window.devicePixelRatio || 1) !== fittedRatio) fitCanvas();
    },
    onCaptureFrame(frame, width, height, rgb) {
      state.frames.push({ frame, width, height, rgb });
    },
    showMessageBox,
    onShowEnded: showEnded,
  };

  play.addEventListener('click', start);
  document.getElementById('retry').addEventListener('click', load);
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  // The iPhone has full screen for videos only.
  show('fullscreen', Boolean(root.requestFullscreen || root.webkitRequestFullscreen));
  document.getElementById('stop').addEventListener('click', () => Module._vellomire_close());
  document.addEventListener('fullscreenchange', lockEscape);
  document.addEventListener('webkitfullscreenchange', lockEscape);
  document.addEventListener('visibilitychange', () => { if (state.started) keepAwake(); });
  // After a message the show did not end as it should: the way back is to start again.
  document.getElementById('box-ok').addEventListener('click', () => {
    show('box', false);
    if (!state.ended) return;
    setText('end-text', 'The show stopped early.');
    setText('again', 'Start again');
    show('end', true);
  });
  document.getElementById('again').addEventListener('click', () => location.reload());
  document.addEventListener('keydown', (event) => {
    if (state.started && !state.ended && event.key.toLowerCase() === 'f') toggleFullscreen();
  });
  window.addEventListener('resize', fitCanvas);
  fitCanvas();

  const missing = missingFeatures();
  if (missing.length) {
    setText('missing', `This browser cannot play the show: it lacks ${missing.join(', ')}.`);
    show('start', false);
    show('unsupported', true);
    return;
  }
  load();
})();
