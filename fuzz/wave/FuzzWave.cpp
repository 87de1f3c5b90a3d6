// Feeds arbitrary bytes to the wave decoder (RIFF chunk walking, PCM
// conversion, MPEG Layer-3 through libmpg123); the sanitizers report any
// read outside the input.
#include "records/WaveFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const zk::DecodedWave d = zk::decodeWave({data, size});
    if (d.pcm && d.pcm->seconds() > zk::kMaxWaveSeconds + 1)
        __builtin_trap();
    return 0;
}
