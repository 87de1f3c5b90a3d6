#include "protocol/Framer.h"

#include "protocol/Commands.h"

namespace zk {

Framer::Result Framer::feed(std::string_view bytes, ReceiveQueue& queue)
{
    std::size_t start = 0;
    while (true) {
        const auto end = bytes.find(kTerminator, start);
        if (end == std::string_view::npos)
            break;
        if (pending_.empty()) {
            if (end > start) // an empty message means nothing: it is not queued
                queue.push({origin_, std::string(bytes.substr(start, end - start))});
        } else {
            pending_.append(bytes.substr(start, end - start));
            queue.push({origin_, std::move(pending_)});
            pending_.clear();
        }
        start = end + 1;
    }
    if (start < bytes.size()) {
        // Do not grow without bound while waiting for a terminator.
        if (pending_.size() + (bytes.size() - start) > kMaxPendingBytes) {
            pending_.clear();
            return Result::Overflow;
        }
        pending_.append(bytes.substr(start));
    }
    return Result::Ok;
}

} // namespace zk
