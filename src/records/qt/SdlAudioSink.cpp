#include "records/qt/SdlAudioSink.h"

namespace zk {

SdlAudioSink::~SdlAudioSink()
{
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
    if (sdlStarted_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioSink::available()
{
    if (state_ != State::Closed)
        return state_ == State::Open;
    state_ = State::Failed;
    if (!sdlStarted_) {
        // SDL must leave the program's own signal handling alone.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zonkards");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
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
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0)
        return false;
    state_ = State::Open;
    return true;
}

void SdlAudioSink::start(std::shared_ptr<const Pcm> pcm)
{
    if (!pcm || !available())
        return;
    SDL_LockAudioDevice(device_);
    cursor_.replace(std::move(pcm));
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
}

void SdlAudioSink::stop()
{
    if (state_ != State::Open)
        return;
    SDL_LockAudioDevice(device_);
    cursor_.replace(nullptr);
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 1);
}

void SdlAudioSink::release()
{
    if (state_ != State::Open)
        return;
    SDL_LockAudioDevice(device_);
    const bool busy = cursor_.playing();
    SDL_UnlockAudioDevice(device_);
    if (busy)
        return;
    SDL_CloseAudioDevice(device_); // waits for SDL's audio thread to end
    device_ = 0;
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
