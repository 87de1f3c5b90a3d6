// The real sound output: one SDL2 audio device, opened on the first sound
// (signed 16-bit stereo 44100 Hz, 4096-frame buffer) and fed from a
// PlaybackCursor by SDL's audio thread. release() closes it once the sound
// is over and shuts SDL's audio down entirely, its threads with it (SDL's
// device thread would keep feeding silence, its hot-plug thread would re-read
// the ALSA configuration every second); the next sound starts it again. When
// SDL has no audio or no device opens, every call does nothing and SDL is
// left shut down: sounds are optional.
//
//   SdlAudioSink sink;
//   sink.start(pcm); // returns at once; SDL's thread plays it
#pragma once

#include "records/AudioSink.h"

#include <SDL2/SDL.h>

namespace zk {

class SdlAudioSink final : public AudioSink {
public:
    SdlAudioSink() = default;
    ~SdlAudioSink() override;
    SdlAudioSink(const SdlAudioSink&) = delete;
    SdlAudioSink& operator=(const SdlAudioSink&) = delete;

    void start(std::shared_ptr<const Pcm> pcm) override;
    void stop() override;
    void release() override;
    // Opens the device when it is not open; false when there is none, which
    // is final for the life of this sink.
    bool available();
    // SDL's audio subsystem is running (between a sound and its release).
    static bool sdlAudioRunning();

private:
    static void SDLCALL feed(void* self, Uint8* stream, int length);

    enum class State { Closed, Open, Failed };
    State state_ = State::Closed;
    void shutDown();

    bool sdlStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    PlaybackCursor cursor_; // guarded by the device lock once the device is open
};

} // namespace zk
