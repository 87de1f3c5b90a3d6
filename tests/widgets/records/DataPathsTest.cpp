// Where this process keeps its files: ZONKARDS_DATA_DIR chooses the folder,
// which is made when missing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "RecordsTestSupport.h"
#include "records/qt/DataPaths.h"

namespace zk::test {
namespace {

TEST(DataPaths, TheVariableChoosesTheFolderAndItIsMade)
{
    TempDir dir;
    const auto chosen = dir / "data" / "nested";
    ASSERT_EQ(setenv(kDataDirVariable, chosen.c_str(), 1), 0);
    EXPECT_EQ(settingsFilePath(), chosen / "quorlanlobby.ini");
    EXPECT_EQ(tallyFilePath(), chosen / "agametally.tld");
    EXPECT_TRUE(std::filesystem::is_directory(chosen));
    unsetenv(kDataDirVariable);
}

} // namespace
} // namespace zk::test
