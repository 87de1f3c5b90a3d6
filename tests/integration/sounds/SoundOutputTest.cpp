// Real output: a PulseAudio server of our own with a null sink, in a
// temporary runtime folder, takes what the real player plays through SDL2;
// parec records the sink's monitor and the test looks for sound in it. The
// null sink may drop part of a stream, so only that sound arrives is checked,
// not its length. The player lets go of the device once it is quiet and opens
// it again for the next sound.
#include "records/qt/SoundPlayer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace zk::test {
namespace {

constexpr int kDeadlineMs = 30000;

bool waitFor(const std::function<bool()>& condition, int ms = kDeadlineMs)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(); // the player's release timer
        QThread::msleep(20);
    }
    return true;
}

// One PulseAudio server with a null sink "zk_null", started as a child and
// ended with the object. Nothing outside its temporary folder is touched.
class PulseServer {
public:
    bool start(QString& why)
    {
        if (!dir_.isValid()) {
            why = "no temporary folder";
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir_.path());
        env.insert("PULSE_RUNTIME_PATH", dir_.filePath("pulse"));
        env.insert("PULSE_STATE_PATH", dir_.filePath("state"));
        env.insert("HOME", dir_.path());
        env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        env.remove("PULSE_SERVER");
        server_.setProcessEnvironment(env);
        server_.setProcessChannelMode(QProcess::MergedChannels);
        // -n: no configuration scripts, only the two modules named here; it
        // runs as root too (with a warning), which test machines may be.
        server_.start(QStandardPaths::findExecutable("pulseaudio"),
                      {"-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1", "--use-pid-file=no",
                       "--disable-shm=true", "--log-target=stderr", "-L",
                       "module-null-sink sink_name=zk_null rate=44100 channels=2", "-L",
                       QString("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket())});
        if (!server_.waitForStarted(kDeadlineMs)) {
            why = "pulseaudio did not start";
            return false;
        }
        const bool up = waitFor([&] {
            if (server_.state() != QProcess::Running)
                return true;
            return pactl({"info"}).has_value();
        });
        if (!up || server_.state() != QProcess::Running) {
            why = "pulseaudio did not come up: " + QString::fromLocal8Bit(server_.readAll());
            return false;
        }
        return true;
    }

    ~PulseServer()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000))
                server_.kill();
            server_.waitForFinished(5000);
        }
    }

    QString socket() const { return dir_.filePath("native"); }
    QString address() const { return "unix:" + socket(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // pactl's output, or nothing when it failed.
    std::optional<QByteArray> pactl(const QStringList& args) const
    {
        QProcess p;
        p.start(QStandardPaths::findExecutable("pactl"), QStringList{"--server=" + address()} + args);
        if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return std::nullopt;
        return p.readAllStandardOutput();
    }

private:
    QTemporaryDir dir_;
    QProcess server_;
};

// The largest sample in what parec has written so far (s16le stereo), from
// byte `from` on.
struct Recording {
    qint64 bytes = 0;
    int peak = 0;
};

Recording readRecording(const QString& path, qint64 from = 0)
{
    QFile f(path);
    Recording r;
    if (!f.open(QIODevice::ReadOnly))
        return r;
    const QByteArray data = f.readAll();
    r.bytes = data.size();
    for (qsizetype i = from & ~qint64{3}; i + 1 < data.size(); i += 2) {
        const auto s = static_cast<std::int16_t>(static_cast<std::uint8_t>(data[i]) |
                                                 static_cast<std::uint8_t>(data[i + 1]) << 8);
        r.peak = std::max(r.peak, std::abs(static_cast<int>(s)));
    }
    return r;
}

TEST(SoundOutput, RecordingsAreHeardOnTheDevice)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    for (const char* tool : {"pulseaudio", "parec", "pactl"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/setup installs pulseaudio and "
                         << "pulseaudio-utils); real sound output is not tested here";
    }
    PulseServer pulse;
    QString why;
    ASSERT_TRUE(pulse.start(why)) << why.toStdString();

    const QString recorded = pulse.filePath("monitor.raw");
    QProcess parec;
    parec.setStandardOutputFile(recorded);
    parec.start(QStandardPaths::findExecutable("parec"),
                {"--server=" + pulse.address(), "--device=zk_null.monitor", "--raw", "--format=s16le",
                 "--rate=44100", "--channels=2", "--latency-msec=20"});
    ASSERT_TRUE(parec.waitForStarted(kDeadlineMs));
    ASSERT_TRUE(waitFor([&] {
        const auto outputs = pulse.pactl({"list", "short", "source-outputs"});
        return outputs && !outputs->trimmed().isEmpty();
    })) << "parec did not connect";

    // Before anything plays, the monitor carries silence.
    ASSERT_TRUE(waitFor([&] { return readRecording(recorded).bytes >= 44100; }))
        << "the monitor records nothing";
    EXPECT_LT(readRecording(recorded).peak, 100);

    // The real player, with its real SDL2 output, on our server only.
    ::setenv("PULSE_SERVER", pulse.address().toLocal8Bit().constData(), 1);
    ::setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    {
        auto player = SoundPlayer::withDefaultOutput();
        ASSERT_TRUE(player->play("Zonkard")); // MPEG Layer-3 inside, through libmpg123
        const bool heard = waitFor([&] { return readRecording(recorded).peak > 3000; });
        EXPECT_TRUE(heard) << "no sound reached the sink; recorded " << readRecording(recorded).bytes
                           << " bytes, peak " << readRecording(recorded).peak;

        // Quiet again, the player closes its stream on the server...
        EXPECT_TRUE(waitFor([&] {
            const auto inputs = pulse.pactl({"list", "short", "sink-inputs"});
            return inputs && inputs->trimmed().isEmpty();
        })) << "the output stream stays open while nothing plays";

        // ...and opens a new one for the next sound.
        const qint64 mark = readRecording(recorded).bytes;
        EXPECT_LT(readRecording(recorded, mark).peak, 100);
        ASSERT_TRUE(player->play("winner"));
        EXPECT_TRUE(waitFor([&] { return readRecording(recorded, mark).peak > 3000; }))
            << "the second sound was not heard";
        player->stop();
    }
    ::unsetenv("PULSE_SERVER");
    ::unsetenv("SDL_AUDIODRIVER");

    parec.terminate();
    if (!parec.waitForFinished(5000))
        parec.kill();
    parec.waitForFinished(5000);
}

} // namespace
} // namespace zk::test
