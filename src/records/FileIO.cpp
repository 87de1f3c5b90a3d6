#include "records/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zk {

FileBytes readWholeFile(const std::filesystem::path& path)
{
    FileBytes result;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        result.status = ReadStatus::Missing;
        return result;
    }
    // A directory (or anything else that is not a file) at the path must not
    // be taken for an empty file: writing would then replace it blindly.
    if (ec || status.type() != std::filesystem::file_type::regular) {
        result.status = ReadStatus::OpenFailed;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.status = ReadStatus::OpenFailed;
        return result;
    }
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        result.bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    result.status = in.bad() ? ReadStatus::ReadFailed : ReadStatus::Ok;
    return result;
}

namespace {

// A temporary sibling is named "NAME.zktmp-" followed by 16 lower-case hex
// digits and a "~": a form nobody gives a file by hand, so the cleanup at
// start can tell ours from a player's own "NAME.backup" or "NAME.2024ok".
constexpr std::string_view kTemporaryMarker = ".zktmp-";
constexpr std::size_t kTemporaryHexDigits = 16;
constexpr char kTemporaryEnd = '~';

std::filesystem::path temporarySibling(const std::filesystem::path& target, std::mt19937_64& random)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::uint64_t bits = random();
    std::string suffix(kTemporaryMarker);
    for (std::size_t i = 0; i < kTemporaryHexDigits; ++i, bits >>= 4)
        suffix += kHex[bits & 0xF];
    suffix += kTemporaryEnd;
    std::filesystem::path sibling = target;
    sibling += suffix;
    return sibling;
}

// Whether name is one temporarySibling() gives for a file called fileName.
bool isTemporaryOf(std::string_view name, std::string_view fileName)
{
    const std::size_t head = fileName.size() + kTemporaryMarker.size();
    if (name.size() != head + kTemporaryHexDigits + 1 || name.substr(0, fileName.size()) != fileName ||
        name.substr(fileName.size(), kTemporaryMarker.size()) != kTemporaryMarker ||
        name.back() != kTemporaryEnd)
        return false;
    const std::string_view hex = name.substr(head, kTemporaryHexDigits);
    return std::all_of(hex.begin(), hex.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

#ifdef _WIN32
int openExclusive(const std::filesystem::path& p)
{
    return ::_wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int syncFile(int fd)
{
    return ::_commit(fd);
}
int closeFile(int fd)
{
    return ::_close(fd);
}
long long writeSome(int fd, const char* data, std::size_t size)
{
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
#else
int openExclusive(const std::filesystem::path& p)
{
    return ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int syncFile(int fd)
{
    return ::fsync(fd);
}
int closeFile(int fd)
{
    return ::close(fd);
}
long long writeSome(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, size);
}
#endif

// Makes a rename in the folder last through a power cut, where the system
// allows it; nothing depends on it succeeding.
void syncFolder([[maybe_unused]] const std::filesystem::path& folder)
{
#ifndef _WIN32
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

WriteStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    // The bytes go to a temporary sibling, which is flushed to the disk and
    // then renamed over the target, so the target holds the old or the new
    // content and never a part. A link is followed: the file it names is
    // replaced, not the link.
    std::error_code ec;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(target, ec))
        target = std::filesystem::weakly_canonical(target, ec);
    const auto existing = std::filesystem::status(target, ec);

    static thread_local std::mt19937_64 random(std::random_device{}());
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporarySibling(target, random);
        fd = openExclusive(temporary);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return WriteStatus::OpenFailed;

    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const long long n = writeSome(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && syncFile(fd) == 0;
    ok = closeFile(fd) == 0 && ok;
    // The new file keeps the permissions the old one had.
    if (ok && std::filesystem::exists(existing))
        std::filesystem::permissions(temporary, existing.permissions(), ec);
    if (ok) {
        std::filesystem::rename(temporary, target, ec);
        ok = !ec;
        if (ok)
            syncFolder(target.parent_path());
    }
    if (!ok) {
        std::filesystem::remove(temporary, ec);
        return WriteStatus::WriteFailed;
    }
    return WriteStatus::Done;
}

int removeStaleTemporaries(const std::filesystem::path& file)
{
    const std::string fileName = file.filename().string();
    std::error_code ec;
    std::filesystem::directory_iterator it(file.parent_path().empty() ? "." : file.parent_path(), ec);
    int removed = 0;
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (!isTemporaryOf(it->path().filename().string(), fileName))
            continue;
        std::error_code typeError;
        if (it->is_regular_file(typeError) && std::filesystem::remove(it->path(), typeError))
            ++removed;
    }
    return removed;
}

std::optional<std::filesystem::path> renameAside(const std::filesystem::path& file, std::string_view suffix)
{
    // Only one copy of the program runs at a time (the single-instance lock),
    // so a name found free stays free until the rename.
    for (int n = 1; n < 1000; ++n) {
        std::filesystem::path aside = file;
        aside += std::string(suffix) + (n > 1 ? "-" + std::to_string(n) : std::string());
        std::error_code ec;
        if (std::filesystem::symlink_status(aside, ec).type() != std::filesystem::file_type::not_found)
            continue;
        std::filesystem::rename(file, aside, ec);
        if (ec)
            return std::nullopt;
        syncFolder(file.parent_path());
        return aside;
    }
    return std::nullopt;
}

std::string pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

} // namespace zk
