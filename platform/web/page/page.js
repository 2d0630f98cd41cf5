// The intro's page: checks what the browser offers, loads the program with a
// progress bar, waits for a click or key (browsers play sound only after
// one), then runs one instance of the program per run (createTrelk, from
// trelk.js) and shows its frames on the canvas, scaled to the tab with the
// 4:3 shape kept. The program calls back through Module.trelkPage.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const stage = $('stage');
  const canvas = $('screen');
  const context = canvas.getContext('2d', { alpha: false });

  // The URL's options, as the command line's (an unknown one is said and ignored).
  const URL_OPTIONS = {
    scale: (v) => ['--scale', v],
    filter: (v) => ['--filter', v],
    volume: (v) => ['--volume', v],
    sound: (v) => (['0', 'no', 'off', 'false'].includes(v) ? ['--no-sound'] : []),
    verbose: (v) => (['0', 'no', 'off', 'false'].includes(v) ? [] : ['--verbose']),
  };
  function commandLine() {
    const args = [];
    for (const [name, value] of new URLSearchParams(location.search)) {
      if (Object.hasOwn(URL_OPTIONS, name)) {
        args.push(...URL_OPTIONS[name](value));
      } else {
        console.warn(`trelk: unknown URL parameter "${name}" ignored`);
      }
    }
    return args;
  }

  function show(id) {
    for (const panel of ['start', 'loading', 'ended', 'lacking']) $(panel).hidden = panel !== id;
    canvas.hidden = !(id === null || id === 'ended');  // the last frame stays behind the ended panel
  }

  function lacking(what) {
    $('lacking-text').textContent =
      `This browser cannot play the intro: it lacks ${what}. ` +
      'A current Chrome, Firefox or Safari plays it.';
    show('lacking');
    page.state = 'lacking';
  }

  function missingFeature() {
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') return 'WebAssembly';
    if (typeof SharedArrayBuffer !== 'function' || typeof Atomics !== 'object') return 'threads (SharedArrayBuffer)';
    if (typeof AudioContext !== 'function' || typeof AudioWorkletNode !== 'function') return 'Web Audio';
    return null;
  }

  // ---- Loading, with progress --------------------------------------------
  let compiled = null;
  async function loadProgram() {
    const response = await fetch('trelk.wasm');
    if (!response.ok) throw new Error(`trelk.wasm: HTTP ${response.status}`);
    const total = Number(response.headers.get('Content-Length')) || 0;
    const reader = response.body.getReader();
    const parts = [];
    let received = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      received += value.length;
      if (total > 0) $('progress').value = Math.min(1, received / total);
    }
    const bytes = new Uint8Array(received);
    let at = 0;
    for (const part of parts) { bytes.set(part, at); at += part.length; }
    $('progress').value = 1;
    return WebAssembly.compile(bytes);
  }

  // ---- Frames ---------------------------------------------------------------
  let frames = null;
  let image = null;
  let shown = 0;
  function layout() {
    const dpr = window.devicePixelRatio || 1;
    const width = frames ? frames.width : 640;
    const height = frames ? frames.height : 480;
    const fit = Math.min((window.innerWidth * dpr) / width, (window.innerHeight * dpr) / height);
    const integer = frames && frames.integerScale;
    const scale = integer ? Math.max(1, Math.floor(fit)) : fit;  // in device pixels
    for (const element of [canvas, $('start')]) {
      element.style.width = `${(width * scale) / dpr}px`;
      element.style.height = `${(height * scale) / dpr}px`;
    }
    const whole = Math.abs(scale - Math.round(scale)) < 1e-6;
    const filter = frames ? frames.filter : 'auto';
    canvas.classList.toggle('nearest', filter === 'nearest' || (filter === 'auto' && whole));
  }
  window.addEventListener('resize', layout);

  function draw() {
    if (frames) {
      const count = Atomics.load(frames.heap32, frames.counter >> 2);
      if (count !== shown && count > 0) {
        const from = frames.buffers[(count - 1) % 2];
        image.data.set(frames.heapU8.subarray(from, from + frames.width * frames.height * 4));
        context.putImageData(image, 0, 0);
        const now = performance.now();
        if (shown === 0) page.firstFrameAt = now;
        if (page.frameTimes.length < 100000) page.frameTimes.push(now);
        page.framesShown += 1;
        page.framesSkipped += Math.max(0, count - shown - 1);
        shown = count;
      }
    }
    requestAnimationFrame(draw);
  }
  requestAnimationFrame(draw);

  // The running instance's key ring (platform/web/web_input.h): each key is
  // written there and the program's input thread woken; the page never waits.
  let keys = null;
  function sendKey(key, down, repeat) {
    if (keys === null) return;
    const at = Atomics.load(keys.heap32, keys.written >> 2);
    keys.heap32[(keys.events >> 2) + (at % keys.size)] = key | (down ? 0x100 : 0) | (repeat ? 0x200 : 0);
    Atomics.store(keys.heap32, keys.written >> 2, at + 1);
    Atomics.notify(keys.heap32, keys.written >> 2);
  }

  // The last lines the running program wrote to standard error, shown when it fails.
  let stderrLines = [];

  // ---- Sound ----------------------------------------------------------------
  let audio = null;
  let ringNode = null;

  // ---- The page's side of the program (Module.trelkPage) --------------------
  const page = {
    state: 'loading',
    firstFrameAt: 0,
    startedAt: 0,
    framesShown: 0,
    framesSkipped: 0,
    frameTimes: [],  // when each frame reached the canvas (for measuring)
    audioPeak: 0,
    audioUnderruns: 0,
    exitCode: null,
    runs: 0,
    attachFrames(f) {
      frames = f;
      canvas.width = f.width;
      canvas.height = f.height;
      image = context.createImageData(f.width, f.height);
      shown = 0;
      if (f.title) document.title = f.title;
      layout();
    },
    detachFrames() { frames = null; },
    attachKeys(ring) { keys = ring; },
    detachKeys() { keys = null; },
    canPlay() { return audio !== null && audio.state !== 'closed'; },
    audioState() { return audio === null ? 'none' : audio.state; },
    openAudio(ring) {
      ringNode = new AudioWorkletNode(audio, 'trelk-ring', {
        numberOfInputs: 0,
        numberOfOutputs: 1,
        outputChannelCount: [2],
        processorOptions: ring,
      });
      ringNode.port.onmessage = (event) => {
        page.audioPeak = event.data.peak;
        page.audioUnderruns = event.data.underruns;
      };
      ringNode.connect(audio.destination);
    },
    closeAudio() {
      if (ringNode) {
        ringNode.disconnect();
        ringNode = null;
      }
    },
    messageBox(title, text) {
      $('ended-detail').textContent = `${title}: ${text}`;
      $('ended-detail').hidden = false;
    },
    ended(code) {
      keys = null;
      page.exitCode = code;
      page.state = 'ended';
      $('ended-text').textContent =
        code === 0 ? 'The intro has ended.' : `The intro stopped (exit code ${code}).`;
      if (code !== 0 && stderrLines.length > 0 && $('ended-detail').hidden) {
        $('ended-detail').textContent = stderrLines.join('\n');
        $('ended-detail').hidden = false;
      }
      // Exit code 64: the address's options are wrong, and stay so on a new run.
      $('again').hidden = code === 64;
      show('ended');
      if (code !== 64) $('again').focus();
    },
  };
  window.trelkPage = page;

  // What one run of the program may call: once a newer run has started, an
  // older one's late calls (its teardown) change nothing.
  function forRun(run) {
    const bound = {};
    for (const name of ['attachFrames', 'detachFrames', 'attachKeys', 'detachKeys', 'canPlay', 'openAudio',
      'closeAudio', 'messageBox', 'ended']) {
      bound[name] = (...args) => (run === page.runs ? page[name](...args) : undefined);
    }
    return bound;
  }

  async function start() {
    if (page.state !== 'ready' && page.state !== 'ended') return;
    page.state = 'starting';
    page.startedAt = performance.now();
    page.firstFrameAt = 0;
    page.framesShown = 0;
    page.framesSkipped = 0;
    page.frameTimes = [];
    page.audioPeak = 0;
    page.audioUnderruns = 0;
    page.exitCode = null;
    stderrLines = [];
    $('ended-detail').hidden = true;
    frames = null;
    shown = 0;
    show(null);
    canvas.hidden = false;
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    layout();
    // Inside the click or key press: the one moment a page may start sound.
    if (audio === null) {
      try {
        audio = new AudioContext({ sampleRate: 44100, latencyHint: 'interactive' });
        await audio.audioWorklet.addModule('audio_worklet.js');
      } catch (error) {
        console.warn('trelk: no sound:', error);
        audio = null;
      }
    }
    if (audio !== null) await audio.resume();
    page.runs += 1;
    page.state = 'running';
    createTrelk({
      arguments: commandLine(),
      trelkPage: forRun(page.runs),
      print: (text) => console.log(text),
      printErr: (text) => {  // the program's standard error: diagnostics
        console.warn(text);
        stderrLines = [...stderrLines.slice(-3), text];
      },
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
        return {};
      },
    }).catch((error) => {
      console.error('trelk:', error);
      page.ended(1);
    });
  }

  // ---- Keys, clicks and full screen -----------------------------------------
  const VIRTUAL_KEYS = {
    Escape: 0x1b, Enter: 0x0d, NumpadEnter: 0x0d, Space: 0x20, Backspace: 0x08, Tab: 0x09,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    ShiftLeft: 0x10, ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12,
  };
  function virtualKey(code) {
    if (Object.hasOwn(VIRTUAL_KEYS, code)) return VIRTUAL_KEYS[code];
    let m = /^Key([A-Z])$/.exec(code);
    if (m) return m[1].charCodeAt(0);
    m = /^Digit([0-9])$/.exec(code);
    if (m) return m[1].charCodeAt(0);
    m = /^F([1-9]|1[0-2])$/.exec(code);
    if (m) return 0x70 + Number(m[1]) - 1;
    return 0;
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().then(() => {
        // Escape then reaches the intro (held down, it leaves full screen).
        if (navigator.keyboard && navigator.keyboard.lock) navigator.keyboard.lock(['Escape']).catch(() => {});
      }).catch(() => {});
    }
  }
  document.addEventListener('fullscreenchange', () => {
    stage.classList.toggle('fullscreen', document.fullscreenElement !== null);
    layout();
  });
  let pointerTimer = 0;
  stage.addEventListener('pointermove', () => {
    stage.classList.add('pointer');
    clearTimeout(pointerTimer);
    pointerTimer = setTimeout(() => stage.classList.remove('pointer'), 2000);
  });
  $('fullscreen').addEventListener('click', (event) => { event.stopPropagation(); toggleFullScreen(); });
  stage.addEventListener('dblclick', toggleFullScreen);
  $('start').addEventListener('click', start);
  $('again').addEventListener('click', (event) => { event.stopPropagation(); start(); });

  function onKey(event, down) {
    const fullScreenKey =
      (event.code === 'KeyF' && !event.ctrlKey && !event.metaKey && !event.altKey) ||
      (event.code === 'Enter' && event.altKey);
    if (down && fullScreenKey) {
      if (!event.repeat) toggleFullScreen();
      event.preventDefault();
      if (event.code === 'Enter') return;  // Alt+Enter belongs to the page, as to the desktop's stand-in
    }
    if (page.state === 'ready' && down) {
      event.preventDefault();
      start();
      return;
    }
    if (page.state !== 'running') return;
    const key = virtualKey(event.code);
    if (key === 0) return;
    event.preventDefault();
    sendKey(key, down, event.repeat);
  }
  document.addEventListener('keydown', (event) => onKey(event, true));
  document.addEventListener('keyup', (event) => onKey(event, false));

  // ---- Start ----------------------------------------------------------------
  async function prepare() {
    if (typeof WebAssembly !== 'object') return lacking('WebAssembly');
    if (!self.crossOriginIsolated) {
      // The service worker makes the page isolated and reloads it; when it
      // cannot (no service workers here), threads stay out of reach.
      const sw = navigator.serviceWorker;
      if (sw && window.isSecureContext && !sw.controller) {
        setTimeout(() => { if (!self.crossOriginIsolated) lacking('threads (a cross-origin-isolated page)'); }, 8000);
        return;
      }
      return lacking('threads (a cross-origin-isolated page)');
    }
    const missing = missingFeature();
    if (missing) return lacking(missing);
    try {
      compiled = await loadProgram();
    } catch (error) {
      console.error('trelk: cannot load the program:', error);
      $('loading-text').textContent = 'The intro could not be loaded.';
      return;
    }
    page.state = 'ready';
    layout();
    show('start');
    page.readyAt = performance.now();
  }
  prepare();
})();
