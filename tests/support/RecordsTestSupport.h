// Real files in a fresh temporary folder for the records tests, and a way to
// make writing fail for real even when the tests run as root.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zk::test {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zk-records-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// While alive, no file of this process may grow past limit bytes (root
// included): a real "disk full" for the write under test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        oldHandler_ = signal(SIGXFSZ, SIG_IGN); // report EFBIG instead of ending the process
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lower = old_;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    sighandler_t oldHandler_{};
};

inline bool runningAsRoot()
{
    return geteuid() == 0;
}

// Deterministic bytes for the codec tests.
inline std::string randomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

// Words and punctuation in lines, like chat or a tally text.
inline std::string textLike(std::size_t n, unsigned seed)
{
    static const char* words[] = {"the",  "dice",  "roll",     "zonkard",  "bonus", "player", "wins",
                                  "game", "score", "round",    "Bob",      "Ann",   "table",  "and",
                                  "turn", "seven", "category", "straight", "host",  "chat"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += words[rng() % std::size(words)];
        s += (rng() % 9 == 0) ? ".\r\n" : " ";
    }
    s.resize(n);
    return s;
}

} // namespace zk::test
