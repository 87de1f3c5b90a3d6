#include "records/qt/SdlAudioSink.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "game/DebugLog.h"

namespace zk {

namespace {

// SDL, opened with the first sound rather than with the program: linked in,
// it and the sound and display libraries behind it cost every game memory
// and start-up time, and a player may never hear a sound. The members are
// SDL's functions without their "SDL_" prefix.
#define ZK_SDL_FUNCTIONS(X)                                                                                  \
    X(SetHint)                                                                                               \
    X(InitSubSystem)                                                                                         \
    X(QuitSubSystem)                                                                                         \
    X(WasInit)                                                                                               \
    X(GetError)                                                                                              \
    X(OpenAudioDevice)                                                                                       \
    X(CloseAudioDevice)                                                                                      \
    X(LockAudioDevice)                                                                                       \
    X(UnlockAudioDevice)                                                                                     \
    X(PauseAudioDevice)                                                                                      \
    X(LogSetOutputFunction)

struct SdlLibrary {
#define ZK_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
    ZK_SDL_FUNCTIONS(ZK_SDL_MEMBER)
#undef ZK_SDL_MEMBER
};

SdlLibrary* loadSdl()
{
    static SdlLibrary library;
#ifndef __linux__
#define ZK_SDL_RESOLVE(name) library.name = &::SDL_##name;
    ZK_SDL_FUNCTIONS(ZK_SDL_RESOLVE)
#undef ZK_SDL_RESOLVE
#else
    void* handle = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        debugLog(std::string("audio: cannot load SDL2: ") + ::dlerror());
        return nullptr;
    }
    bool complete = true;
#define ZK_SDL_RESOLVE(name)                                                                                 \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(handle, "SDL_" #name));                  \
    complete = complete && library.name;
    ZK_SDL_FUNCTIONS(ZK_SDL_RESOLVE)
#undef ZK_SDL_RESOLVE
    if (!complete) {
        debugLog("audio: SDL2 lacks a function the game uses");
        return nullptr;
    }
#endif
    return &library;
}

// The library once loaded (nullptr when it is not installed).
const SdlLibrary* sdl()
{
    static const SdlLibrary* const library = loadSdl();
    return library;
}

// ALSA prints its complaints (no card, no "default" device) straight to the
// terminal; SDL's ALSA driver uses the library SDL loads at run time, so its
// error handler is set through the same library, when it is there at all.
void alsaToOurLog(const char* file, int line, const char* function, int err, const char* fmt, ...)
{
    if (!debugLogging())
        return;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    debugLog("ALSA " + std::string(file ? file : "") + ":" + std::to_string(line) + " (" +
             (function ? function : "") + ") " + text + (err ? " [" + std::to_string(err) + "]" : ""));
}

void sdlToOurLog(void*, int category, SDL_LogPriority priority, const char* message)
{
    debugLog("SDL " + std::to_string(category) + "/" + std::to_string(static_cast<int>(priority)) + ": " +
             (message ? message : ""));
}

void quietenAudioLibraries()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    sdl()->LogSetOutputFunction(&sdlToOurLog, nullptr);
#ifdef __linux__
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (void* alsa = ::dlopen("libasound.so.2", RTLD_LAZY)) {
        using SetHandler = int (*)(ErrorHandler);
        if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler")))
            set(&alsaToOurLog);
        // The handle stays open: SDL's own dlopen shares this instance.
    }
#endif
}

} // namespace

SdlAudioSink::~SdlAudioSink()
{
    shutDown();
}

bool SdlAudioSink::sdlAudioRunning()
{
    const SdlLibrary* library = sdl();
    return library && library->WasInit(SDL_INIT_AUDIO) != 0;
}

void SdlAudioSink::shutDown()
{
    if (device_ != 0)
        sdl()->CloseAudioDevice(device_); // waits for SDL's audio thread to end
    device_ = 0;
    if (sdlStarted_)
        sdl()->QuitSubSystem(SDL_INIT_AUDIO);
    sdlStarted_ = false;
}

bool SdlAudioSink::available()
{
    if (state_ != State::Closed)
        return state_ == State::Open;
    state_ = State::Failed;
    if (!sdl())
        return false; // no SDL installed: the game is silent
    if (!sdlStarted_) {
        quietenAudioLibraries();
        // SDL must leave the program's own signal handling alone.
        sdl()->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl()->SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zonkards");
        if (sdl()->InitSubSystem(SDL_INIT_AUDIO) != 0) {
            debugLog(std::string("audio: ") + sdl()->GetError());
            return false;
        }
        sdlStarted_ = true;
    }

    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = kOutputChannels;
    want.samples = 4096;
    want.callback = &SdlAudioSink::feed;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device wants.
    device_ = sdl()->OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        debugLog(std::string("audio: ") + sdl()->GetError());
        shutDown(); // nothing to play on: no SDL thread stays behind
        return false;
    }
    state_ = State::Open;
    return true;
}

void SdlAudioSink::start(std::shared_ptr<const Pcm> pcm)
{
    if (!pcm || !available())
        return;
    sdl()->LockAudioDevice(device_);
    cursor_.replace(std::move(pcm));
    sdl()->UnlockAudioDevice(device_);
    sdl()->PauseAudioDevice(device_, 0);
}

void SdlAudioSink::stop()
{
    if (state_ != State::Open)
        return;
    sdl()->LockAudioDevice(device_);
    cursor_.replace(nullptr);
    sdl()->UnlockAudioDevice(device_);
    sdl()->PauseAudioDevice(device_, 1);
}

void SdlAudioSink::release()
{
    if (state_ != State::Open)
        return;
    sdl()->LockAudioDevice(device_);
    const bool busy = cursor_.playing();
    sdl()->UnlockAudioDevice(device_);
    if (busy)
        return;
    shutDown();
    cursor_.replace(nullptr);
    state_ = State::Closed;
}

void SDLCALL SdlAudioSink::feed(void* self, Uint8* stream, int length)
{
    // SDL holds the device lock while it calls this on its audio thread.
    auto* sink = static_cast<SdlAudioSink*>(self);
    sink->cursor_.fill(
        {reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / sizeof(std::int16_t)});
}

} // namespace zk
