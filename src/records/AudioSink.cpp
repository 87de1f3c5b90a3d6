#include "records/AudioSink.h"

#include <algorithm>

namespace zk {

void PlaybackCursor::replace(std::shared_ptr<const Pcm> pcm)
{
    pcm_ = std::move(pcm);
    pos_ = 0;
}

std::size_t PlaybackCursor::fill(std::span<std::int16_t> out)
{
    const std::size_t wanted = out.size() / kOutputChannels;
    std::size_t given = 0;
    if (pcm_ && pos_ < pcm_->frames()) {
        given = std::min(wanted, pcm_->frames() - pos_);
        std::copy_n(pcm_->samples.begin() + static_cast<std::ptrdiff_t>(pos_ * kOutputChannels),
                    given * kOutputChannels, out.begin());
        pos_ += given;
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(given * kOutputChannels), out.end(), std::int16_t{0});
    return given;
}

} // namespace zk
