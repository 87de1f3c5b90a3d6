#include "records/qt/SoundPlayer.h"

#include "records/qt/SdlAudioSink.h"
#include "records/WaveFile.h"

#include <QAbstractEventDispatcher>
#include <QFile>

#include <mutex>

// The resources live in a static library, so they are registered by hand
// before the first look-up (outside any namespace, as Qt's macro needs).
static void initSoundResources()
{
    Q_INIT_RESOURCE(sounds);
}

namespace zk {

SoundPlayer::SoundPlayer(std::unique_ptr<AudioSink> sink) : sink_(std::move(sink))
{
    releaseTimer_.setSingleShot(true);
    releaseTimer_.callOnTimeout([this] { sink_->release(); });
}

void SoundPlayer::scheduleRelease(int afterMs)
{
    // Without an event loop (a command-line tool, a test) the device simply
    // stays open until the player goes.
    if (QAbstractEventDispatcher::instance())
        releaseTimer_.start(afterMs);
}

std::unique_ptr<SoundPlayer> SoundPlayer::withDefaultOutput()
{
    return std::make_unique<SoundPlayer>(std::make_unique<SdlAudioSink>());
}

std::string SoundPlayer::recordingKey(std::string_view name)
{
    if (name.empty() || name.size() > 32)
        return {};
    std::string key;
    for (const char c : name) {
        if (c >= 'a' && c <= 'z')
            key += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            key += c;
        else
            return {};
    }
    return key;
}

std::optional<QByteArray> SoundPlayer::embeddedRecording(std::string_view name)
{
    static std::once_flag once;
    std::call_once(once, initSoundResources);
    const std::string key = recordingKey(name);
    if (key.empty())
        return std::nullopt;
    QFile file(QStringLiteral(":/sounds/%1.wav").arg(QString::fromLatin1(key)));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::shared_ptr<const Pcm> SoundPlayer::load(const std::string& key)
{
    if (const auto it = decoded_.find(key); it != decoded_.end())
        return it->second;
    std::shared_ptr<const Pcm> pcm;
    if (const auto bytes = embeddedRecording(key)) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->constData());
        DecodedWave d = decodeWave({data, static_cast<std::size_t>(bytes->size())});
        if (d.pcm)
            pcm = std::make_shared<const Pcm>(std::move(*d.pcm));
    }
    // Kept even when empty, so a broken recording is not decoded again.
    decoded_.emplace(key, pcm);
    return pcm;
}

bool SoundPlayer::play(std::string_view name)
{
    const std::string key = recordingKey(name);
    if (key.empty())
        return false;
    std::shared_ptr<const Pcm> pcm = load(key);
    if (!pcm)
        return false;
    scheduleRelease(static_cast<int>(pcm->seconds() * 1000) + kReleaseAfterMs);
    sink_->start(std::move(pcm));
    return true;
}

void SoundPlayer::stop()
{
    sink_->stop();
    scheduleRelease(kReleaseAfterMs);
}

} // namespace zk
