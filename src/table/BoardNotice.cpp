#include "table/BoardNotice.h"

#include <algorithm>

namespace zk {

BoardNotice::Listening::Listening(Listening&& other) noexcept
    : listeners_(std::move(other.listeners_)), id_(std::exchange(other.id_, 0))
{
}

BoardNotice::Listening& BoardNotice::Listening::operator=(Listening&& other) noexcept
{
    if (this != &other) {
        stop();
        listeners_ = std::move(other.listeners_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void BoardNotice::Listening::stop()
{
    if (const auto listeners = listeners_.lock()) {
        std::erase_if(listeners->list, [this](const auto& entry) { return entry.first == id_; });
    }
    listeners_.reset();
    id_ = 0;
}

BoardNotice::Listening BoardNotice::listen(std::function<void()> listener)
{
    const int id = ++listeners_->lastId;
    listeners_->list.emplace_back(id, std::move(listener));
    return Listening(listeners_, id);
}

void BoardNotice::changed() const
{
    // By id, so that a listener may stop another (or itself) while it is told.
    std::vector<int> ids;
    ids.reserve(listeners_->list.size());
    for (const auto& entry : listeners_->list)
        ids.push_back(entry.first);
    for (const int id : ids) {
        const auto& list = listeners_->list;
        const auto found =
            std::find_if(list.begin(), list.end(), [id](const auto& entry) { return entry.first == id; });
        if (found != list.end()) {
            const std::function<void()> listener = found->second; // it may stop while it runs
            listener();
        }
    }
}

} // namespace zk
