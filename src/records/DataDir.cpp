#include "records/DataDir.h"

namespace zk {

std::filesystem::path chooseDataDirectory(const std::optional<std::filesystem::path>& override,
                                          const std::filesystem::path& programDir, bool programDirWritable,
                                          const std::filesystem::path& userDataDir)
{
    if (override && !override->empty())
        return *override;
    if (programDirWritable && !programDir.empty())
        return programDir;
    return userDataDir;
}

} // namespace zk
