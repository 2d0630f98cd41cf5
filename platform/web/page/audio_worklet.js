// The page's sound: reads 16-bit stereo frames from the ring the program's
// feeder thread fills (platform/web/web_audio_ring.h), in the program's own
// shared memory, until the ring passes to another generation; resampled
// when the audio context does not run at the mix's rate. Reports the
// output's peak level and the frames it had to play as silence now and then
// (the page shows nothing of it; tests and benchmarks read it).
class TrelkRing extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const o = options.processorOptions;
    this.samples = new Int16Array(o.memory, o.samples, o.frames * 2);
    this.counters = new Uint32Array(o.memory);
    this.written = o.written >> 2;
    this.read = o.read >> 2;
    this.frames = o.frames;
    this.generationCounter = o.generationCounter >> 2;
    this.generation = o.generation;
    this.step = o.rate / sampleRate;
    this.t = 0;
    this.current = [0, 0];
    this.next = [0, 0];
    this.peak = 0;
    this.blocks = 0;
    this.started = false;  // the first mixed frame has arrived
    this.underruns = 0;  // frames played as silence since then, for want of mixed ones
  }

  take(frame) {
    const at = Atomics.load(this.counters, this.read);
    if (((Atomics.load(this.counters, this.written) - at) >>> 0) === 0) {
      if (this.started) this.underruns += 1;
      return false;  // nothing mixed yet: silence, the position waits
    }
    this.started = true;
    const slot = (at % this.frames) * 2;
    frame[0] = this.samples[slot] / 32768;
    frame[1] = this.samples[slot + 1] / 32768;
    Atomics.store(this.counters, this.read, (at + 1) >>> 0);
    return true;
  }

  process(inputs, outputs) {
    // A closed output's ring belongs to the next one: not a sample more.
    if (Atomics.load(this.counters, this.generationCounter) !== this.generation) return false;
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    let peak = this.peak;
    for (let i = 0; i < left.length; i++) {
      const l = this.current[0] + (this.next[0] - this.current[0]) * this.t;
      const r = this.current[1] + (this.next[1] - this.current[1]) * this.t;
      left[i] = l;
      right[i] = r;
      peak = Math.max(peak, Math.abs(l), Math.abs(r));
      this.t += this.step;
      while (this.t >= 1) {
        this.t -= 1;
        this.current[0] = this.next[0];
        this.current[1] = this.next[1];
        if (!this.take(this.next)) {
          this.next[0] = this.next[1] = 0;
        }
      }
    }
    this.peak = peak;
    if (++this.blocks % 64 === 0) {
      this.port.postMessage({ peak: this.peak, underruns: this.underruns });
      this.peak = 0;
    }
    return true;
  }
}

registerProcessor('trelk-ring', TrelkRing);
