#include "discovery/GameList.h"

#include <algorithm>

namespace zk {

std::vector<GameList::Row>::iterator GameList::rowOf(const std::string& instance)
{
    return std::find_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.instance == instance; });
}

RowChange GameList::resolved(int path, const FoundGame& game)
{
    auto row = rowOf(game.instance);
    if (row == rows_.end()) {
        rows_.push_back({game.instance, {{path, game}}});
        return RowChange::Added;
    }
    auto& paths = row->paths;
    auto known = std::find_if(paths.begin(), paths.end(), [&](const auto& p) { return p.first == path; });
    const FoundGame before = paths.front().second;
    if (known == paths.end())
        paths.emplace_back(path, game);
    else
        known->second = game;
    return paths.front().second == before ? RowChange::None : RowChange::Changed;
}

RowChange GameList::removed(int path, const std::string& instance)
{
    auto row = rowOf(instance);
    if (row == rows_.end())
        return RowChange::None;
    auto& paths = row->paths;
    auto known = std::find_if(paths.begin(), paths.end(), [&](const auto& p) { return p.first == path; });
    if (known == paths.end())
        return RowChange::None;
    const FoundGame before = paths.front().second;
    paths.erase(known);
    if (paths.empty()) {
        rows_.erase(row);
        return RowChange::Removed;
    }
    return paths.front().second == before ? RowChange::None : RowChange::Changed;
}

const FoundGame* GameList::find(const std::string& instance) const
{
    for (const Row& r : rows_) {
        if (r.instance == instance)
            return &r.paths.front().second;
    }
    return nullptr;
}

std::vector<FoundGame> GameList::games() const
{
    std::vector<FoundGame> out;
    out.reserve(rows_.size());
    for (const Row& r : rows_)
        out.push_back(r.paths.front().second);
    return out;
}

} // namespace zk
