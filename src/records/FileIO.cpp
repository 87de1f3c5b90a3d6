#include "records/FileIO.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

#include <QSaveFile>
#include <QString>

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

WriteStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    // QSaveFile writes a temporary file beside the target and renames it over
    // the target on commit (ReplaceFile on Windows); on any failure the
    // temporary file is removed and the target left alone.
    //
    // Unbuffered: a buffered QSaveFile flushes inside commit() and a short
    // write there (disk full, file size limit) still commits a cut file. An
    // unbuffered write reports how much really went out, so we can refuse.
    QSaveFile file(QString::fromStdU16String(path.u16string()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return WriteStatus::OpenFailed;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        file.cancelWriting();
        file.commit();
        return WriteStatus::WriteFailed;
    }
    return file.commit() ? WriteStatus::Done : WriteStatus::WriteFailed;
}

int removeStaleTemporaries(const std::filesystem::path& file)
{
    constexpr std::size_t kSuffixLength = 6;
    const std::string prefix = file.filename().string() + ".";
    std::error_code ec;
    std::filesystem::directory_iterator it(file.parent_path().empty() ? "." : file.parent_path(), ec);
    int removed = 0;
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const bool random = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                                        name.end(), [](unsigned char c) { return std::isalnum(c); });
        std::error_code typeError;
        if (random && it->is_regular_file(typeError) && std::filesystem::remove(it->path(), typeError))
            ++removed;
    }
    return removed;
}

std::string pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

} // namespace zk
