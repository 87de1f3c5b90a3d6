// The sound output behind the player: one stream that plays one decoded
// sound at a time. SdlAudioSink is the real one; tests use a fake that pulls
// frames itself. PlaybackCursor is the shared part: which sound is current
// and how far it has played, filled into the stream on demand.
//
//   sink.start(pcm);  // pcm from its start, whatever played before stops
//   sink.stop();      // silence
#pragma once

#include "records/Pcm.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace zk {

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Plays pcm from its first frame in place of whatever is playing and
    // returns at once. Without a working device it does nothing.
    virtual void start(std::shared_ptr<const Pcm> pcm) = 0;
    // Stops whatever is playing.
    virtual void stop() = 0;
    // Lets go of the device when nothing plays, so an idle program does not
    // keep an audio stream running; the next start opens it again.
    virtual void release() {}
};

// Not thread-safe by itself: the owner serialises replace() and fill() (the
// SDL sink holds its device lock around replace()).
class PlaybackCursor {
public:
    // Makes pcm the current sound from its start; nullptr means silence.
    void replace(std::shared_ptr<const Pcm> pcm);
    // Writes the next frames of the current sound into out (interleaved
    // stereo) and silence after its end; returns the frames that were sound.
    std::size_t fill(std::span<std::int16_t> out);
    bool playing() const { return pcm_ && pos_ < pcm_->frames(); }
    const Pcm* current() const { return pcm_.get(); }

private:
    std::shared_ptr<const Pcm> pcm_;
    std::size_t pos_ = 0; // next frame to play
};

} // namespace zk
