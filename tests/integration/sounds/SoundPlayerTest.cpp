// The player's rules, against a fake output that the test drains by hand:
// a sound plays from its start, a new one cuts off the one playing, names
// match in any letter case, and names that cannot be played change nothing.
#include "records/qt/SdlAudioSink.h"
#include "records/qt/SoundPlayer.h"

#include <QThread>
#include "records/WaveFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace zk::test {
namespace {

// Plays into a PlaybackCursor that the test pulls from, as a device would.
class FakeSink : public AudioSink {
public:
    void start(std::shared_ptr<const Pcm> pcm) override
    {
        started.push_back(pcm.get());
        cursor.replace(std::move(pcm));
    }
    void stop() override { cursor.replace(nullptr); }
    void release() override { ++releases; }

    std::vector<std::int16_t> pull(std::size_t frames)
    {
        std::vector<std::int16_t> out(frames * kOutputChannels, 1234);
        lastFill = cursor.fill(out);
        return out;
    }

    PlaybackCursor cursor;
    std::vector<const Pcm*> started;
    std::size_t lastFill = 0;
    int releases = 0;
};

Pcm decoded(const char* name)
{
    const auto bytes = SoundPlayer::embeddedRecording(name);
    const DecodedWave d = decodeWave(
        {reinterpret_cast<const std::uint8_t*>(bytes->constData()), static_cast<std::size_t>(bytes->size())});
    return *d.pcm;
}

std::vector<std::int16_t> frames(const Pcm& p, std::size_t from, std::size_t count)
{
    return {p.samples.begin() + static_cast<std::ptrdiff_t>(from * 2),
            p.samples.begin() + static_cast<std::ptrdiff_t>((from + count) * 2)};
}

bool silent(const std::vector<std::int16_t>& v)
{
    return std::all_of(v.begin(), v.end(), [](std::int16_t s) { return s == 0; });
}

struct PlayerTest : ::testing::Test {
    PlayerTest()
    {
        auto owned = std::make_unique<FakeSink>();
        sink = owned.get();
        player = std::make_unique<SoundPlayer>(std::move(owned));
    }
    FakeSink* sink;
    std::unique_ptr<SoundPlayer> player;
    const Pcm dice = decoded("DICE");
    const Pcm winner = decoded("WINNER");
};

TEST_F(PlayerTest, PlaysTheRecordingFromItsStartToSilence)
{
    ASSERT_TRUE(player->play("dice"));
    EXPECT_EQ(sink->pull(1000), frames(dice, 0, 1000));
    EXPECT_EQ(sink->pull(1000), frames(dice, 1000, 1000));

    // Past its end the stream carries silence.
    const std::size_t left = dice.frames() - 2000;
    const auto tail = sink->pull(left + 500);
    EXPECT_EQ(sink->lastFill, left);
    EXPECT_EQ(std::vector<std::int16_t>(tail.begin(), tail.begin() + static_cast<std::ptrdiff_t>(left * 2)),
              frames(dice, 2000, left));
    EXPECT_TRUE(silent({tail.begin() + static_cast<std::ptrdiff_t>(left * 2), tail.end()}));
    EXPECT_FALSE(sink->cursor.playing());
    EXPECT_TRUE(silent(sink->pull(100)));
}

TEST_F(PlayerTest, StartingASoundCutsOffTheOneThatPlays)
{
    ASSERT_TRUE(player->play("dice"));
    sink->pull(3000);
    ASSERT_TRUE(player->play("winner"));
    EXPECT_EQ(sink->pull(2000), frames(winner, 0, 2000));

    // The same sound again starts over.
    ASSERT_TRUE(player->play("WINNER"));
    EXPECT_EQ(sink->pull(500), frames(winner, 0, 500));

    // Nothing of the first sound comes back after the second ends.
    sink->pull(winner.frames() - 500);
    EXPECT_TRUE(silent(sink->pull(dice.frames())));
}

TEST_F(PlayerTest, NamesMatchInAnyCaseAndDecodeOnce)
{
    ASSERT_TRUE(player->play("wave6"));
    ASSERT_TRUE(player->play("Wave6"));
    ASSERT_TRUE(player->play("WAVE6"));
    ASSERT_EQ(sink->started.size(), 3u);
    EXPECT_EQ(sink->started[0], sink->started[1]);
    EXPECT_EQ(sink->started[0], sink->started[2]);
    EXPECT_NEAR(sink->started[0]->seconds(), 4.26, 0.426);
}

TEST_F(PlayerTest, UnplayableNamesLeaveTheSoundPlaying)
{
    ASSERT_TRUE(player->play("dice"));
    sink->pull(100);
    for (const char* name : {"nosuch", "", "dice.wav", ":/sounds/DICE", "wave0", "wave13"})
        EXPECT_FALSE(player->play(name)) << name;
    EXPECT_EQ(sink->started.size(), 1u);
    EXPECT_EQ(sink->pull(100), frames(dice, 100, 100));
}

TEST_F(PlayerTest, StopSilences)
{
    ASSERT_TRUE(player->play("gotpoints"));
    sink->pull(10);
    player->stop();
    EXPECT_TRUE(silent(sink->pull(1000)));
}

TEST_F(PlayerTest, ReleasesTheOutputOnceTheLastSoundIsOver)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    ASSERT_TRUE(player->play("set"));
    QDeadlineTimer deadline(30000);
    while (sink->releases == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(sink->releases, 1);
}

TEST(SdlAudioSink, WithoutAnAudioDriverStaysSilent)
{
    // A driver that does not exist makes SDL's audio start fail, as on a
    // machine without sound: nothing opens, and every call does nothing.
    ::setenv("SDL_AUDIODRIVER", "zk-no-such-driver", 1);
    {
        SoundPlayer player(std::make_unique<SdlAudioSink>());
        EXPECT_TRUE(player.play("dice")); // handed to the output, which drops it
        player.stop();
        SdlAudioSink sink;
        EXPECT_FALSE(sink.available());
        sink.start(std::make_shared<const Pcm>(decoded("SET")));
        sink.stop();
        EXPECT_FALSE(sink.available());
    }
    ::unsetenv("SDL_AUDIODRIVER");
}

TEST(SdlAudioSink, AfterTheLastSoundSdlAudioIsShutDownAndComesBackForTheNext)
{
    // SDL's dummy driver plays in real time without a sound card.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        SdlAudioSink sink;
        EXPECT_FALSE(SdlAudioSink::sdlAudioRunning()) << "nothing starts before a sound";
        for (int round = 0; round < 2; ++round) {
            sink.start(std::make_shared<const Pcm>(decoded("SET")));
            EXPECT_TRUE(SdlAudioSink::sdlAudioRunning());
            sink.release(); // still playing: kept
            EXPECT_TRUE(SdlAudioSink::sdlAudioRunning());
            QDeadlineTimer deadline(10000);
            while (SdlAudioSink::sdlAudioRunning() && !deadline.hasExpired()) {
                QThread::msleep(20);
                sink.release();
            }
            EXPECT_FALSE(SdlAudioSink::sdlAudioRunning()) << "round " << round;
        }
    }
    // Without a device SDL is not left running either.
    ::setenv("SDL_AUDIODRIVER", "zk-no-such-driver", 1);
    {
        SdlAudioSink sink;
        sink.start(std::make_shared<const Pcm>(decoded("SET")));
        EXPECT_FALSE(SdlAudioSink::sdlAudioRunning());
    }
    ::unsetenv("SDL_AUDIODRIVER");
}

} // namespace
} // namespace zk::test
