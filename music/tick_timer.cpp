// The periodic multimedia timer that drives playback, and the whole road of
// one player tick, all on the timer thread under the library's lock:
//   TimerProc, every wholePeriod ms, runs DriverEvent on average every
//   exactPeriod ms (a third of a player tick);
//   the first of three events calls md_player, which is MusicTick: the
//   library's own tick turns the song's row into voice commands (VoicePlay and
//   the VoiceSet calls fill the voice records), and the module's tempo comes
//   back in md_bpm; TickVoices then mutes what the tick is about to restart;
//   the next event moves the timer to md_bpm (SetTempo) and UpdateVoice
//   carries each voice's commands over to its sound buffer;
//   the third event does nothing.
#include "music/output_driver_state.h"
#include "platform/mmsystem/mmsystem.h"

namespace {

constexpr uint32_t EVENT_TICK = 0;
constexpr uint32_t EVENT_UPDATE = 1;
// Tempos outside what the period arithmetic can carry: 0 would divide by zero,
// and above this the whole period would be 0 ms, which no timer accepts.
constexpr uint16_t TEMPO_MIN = 1;
constexpr uint16_t TEMPO_MAX = 833;

// The library's own tick, as MikMod_RegisterPlayer handed it back.
MikMod_player_t libraryTick = Player_HandleTick;

}  // namespace

void RegisterMusicTick() {
    MikMod_player_t previous = MikMod_RegisterPlayer(MusicTick);
    if (previous != MusicTick && previous != nullptr) {
        libraryTick = previous;
    }
}

void MusicTick() {
    libraryTick();
    if (pf != nullptr) {
        md_bpm = pf->bpm;
    }
}

void BeginTimer() {
    TickTimer& timer = outputDriver.timer;
    TIMECAPS caps{};
    UINT resolution = 1;
    if (timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR) {
        resolution = caps.wPeriodMin > 1 ? caps.wPeriodMin : 1;
        if (resolution > caps.wPeriodMax) {
            resolution = caps.wPeriodMax;
        }
    }
    timer.resolution = resolution;
    timeBeginPeriod(resolution);
}

void EndTimer() {
    TickTimer& timer = outputDriver.timer;
    if (timer.timerId != 0) {
        timeKillEvent(timer.timerId);  // never waits for a running event
        timer.timerId = 0;
    }
    timeEndPeriod(timer.resolution);
}

// Tempo in beats per minute: a player tick lasts 2500 / tempo ms.
void SetTempo(uint16_t tempo) {
    TickTimer& timer = outputDriver.timer;
    if (tempo < TEMPO_MIN) {
        tempo = TEMPO_MIN;
    } else if (tempo > TEMPO_MAX) {
        tempo = TEMPO_MAX;
    }
    timer.exactPeriod = 125000.0f / (static_cast<float>(tempo) * EVENTS_PER_TICK * 50.0f);
    timer.wholePeriod = static_cast<float>(static_cast<UINT>(timer.exactPeriod));
    if (timer.timerId != 0) {
        timeKillEvent(timer.timerId);
    }
    timer.timerId = timeSetEvent(static_cast<UINT>(timer.wholePeriod), timer.resolution, &TimerProc,
                                 reinterpret_cast<DWORD_PTR>(&timer.timerId), TIME_PERIODIC);
}

void DriverEvent() {
    TickTimer& timer = outputDriver.timer;
    timer.eventCounter = (timer.eventCounter + 1) % EVENTS_PER_TICK;
    if (timer.eventCounter == EVENT_TICK) {
        if (md_player != nullptr) {
            md_player();  // MusicTick
        }
        TickVoices();
    } else if (timer.eventCounter == EVENT_UPDATE) {
        if (md_bpm != timer.cachedTempo) {
            SetTempo(md_bpm);
            timer.cachedTempo = md_bpm;
        }
        for (int i = 0; i < md_numchn && i < MAX_VOICES; ++i) {
            UpdateVoice(outputDriver.voices[i]);
        }
    }
}

// Timer thread, every wholePeriod ms. Works under the library's lock; after
// PlayStop (which holds that lock when it marks the driver stopping) or for a
// timer that has since been replaced, it returns without touching anything.
void TimerProc(UINT timerId, UINT /*message*/, DWORD_PTR /*user*/, DWORD_PTR /*reserved1*/,
               DWORD_PTR /*reserved2*/) {
    MikMod_Lock();
    TickTimer& timer = outputDriver.timer;
    if (!outputDriverStopping.load() && timerId == timer.timerId) {
        timer.accumulator += timer.wholePeriod;
        if (timer.accumulator > timer.exactPeriod) {
            DriverEvent();
            timer.accumulator -= timer.exactPeriod;
        }
    }
    MikMod_Unlock();
}
