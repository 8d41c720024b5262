// The page around the program: a start screen (browsers allow sound only after a gesture),
// the canvas kept at the window's size, full screen on request, the program's message box
// as an overlay, and an end screen.
//
// ?fps=N&frames=a,b,... runs the show on the virtual clock instead and collects those frames
// in window.vellomire.frames (the browser tests use it); nothing is played then.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const play = document.getElementById('play');
  const query = new URLSearchParams(location.search);
  const state = window.vellomire = {
    ready: false, started: false, ended: false, exitStatus: null, message: null,
    presents: 0, clickTime: 0, firstFrameTime: 0, frames: [],
  };

  function show(id, shown) { document.getElementById(id).hidden = !shown; }

  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    canvas.width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    canvas.height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(() => {});
  }

  function start() {
    if (state.started || !state.ready) return;
    state.started = true;
    state.clickTime = performance.now();
    show('start', false);
    show('fullscreen', true);
    // Made inside the gesture, so the program's sound may play; it takes it from here.
    if (!Module.capture) {
      const Context = window.AudioContext || window.webkitAudioContext;
      Module.audioContext = new Context({ sampleRate: 44100, latencyHint: 'interactive' });
      Module.audioContext.resume();
    }
    canvas.focus();
    Module.callMain([]);
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
    onRuntimeInitialized() {
      state.ready = true;
      play.disabled = false;
      play.textContent = 'Play';
      if (Module.capture) start();
    },
    onPresent() {
      if (state.presents++ === 0) state.firstFrameTime = performance.now();
    },
    onCaptureFrame(frame, width, height, rgb) {
      state.frames.push({ frame, width, height, rgb });
    },
    showMessageBox(caption, text) {
      state.message = { caption, text };
      document.getElementById('box-caption').textContent = caption;
      document.getElementById('box-text').textContent = text;
      show('box', true);
    },
    onShowEnded(status) {
      state.ended = true;
      state.exitStatus = status;
      if (document.fullscreenElement) document.exitFullscreen();
      if (Module.audioContext) Module.audioContext.close();
      show('fullscreen', false);
      if (!state.message) show('end', true);
    },
  };

  play.addEventListener('click', start);
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  document.getElementById('box-ok').addEventListener('click', () => {
    show('box', false);
    if (state.ended) show('end', true);
  });
  document.getElementById('again').addEventListener('click', () => location.reload());
  document.addEventListener('keydown', (event) => {
    if (state.started && !state.ended && event.key.toLowerCase() === 'f') toggleFullscreen();
  });
  window.addEventListener('resize', fitCanvas);
  fitCanvas();
})();
