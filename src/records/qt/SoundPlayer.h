// Plays the game's sounds: the 27 wave recordings embedded in the program
// (Qt resources under :/sounds/, made by tools/make_sounds.sh), asked for by
// name without regard to letter case ("dice", "turnnew", "wave3"). Each
// recording is decoded to the output format the first time it is asked for
// and kept. One sound at a time: starting one stops the one playing. A name
// without a recording, a recording that does not decode, or no audio device
// means silence and no message. Whether a sound should be heard at all (the
// sound options) is the caller's decision. Where an event loop runs, the
// output device is released a little after the last sound ends.
//
//   auto sounds = SoundPlayer::withDefaultOutput();
//   sounds->play("dice"); // returns at once
#pragma once

#include "records/AudioSink.h"

#include <QByteArray>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zk {

class SoundPlayer {
public:
    explicit SoundPlayer(std::unique_ptr<AudioSink> sink);

    // The player the program uses: the real audio output (SDL2).
    static std::unique_ptr<SoundPlayer> withDefaultOutput();

    // Starts the named recording in place of whatever plays; true when it
    // started. A name that cannot be played leaves the output as it is.
    bool play(std::string_view name);
    void stop();

    // The recording's name as stored ("wave3" -> "WAVE3"); empty for a name
    // that cannot be one (empty, too long, or not letters and digits).
    static std::string recordingKey(std::string_view name);
    // The embedded bytes of the named recording, if there is one.
    static std::optional<QByteArray> embeddedRecording(std::string_view name);

    // How long the output stays open after the last sound has ended.
    static constexpr int kReleaseAfterMs = 2000;

private:
    std::shared_ptr<const Pcm> load(const std::string& key);
    void scheduleRelease(int afterMs);

    std::unique_ptr<AudioSink> sink_;
    std::map<std::string, std::shared_ptr<const Pcm>> decoded_; // null: does not play
    QTimer releaseTimer_;
};

} // namespace zk
