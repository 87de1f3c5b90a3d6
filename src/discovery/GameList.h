// The games found on the network, one row per instance name. The service
// browser reports each service once per network path (interface and
// protocol); a game seen on two interfaces is one row, shown with the first
// path that resolved, and it goes only when the last path has gone.
//
//     GameList list;
//     list.resolved(1, game);          // RowChange::Added
//     list.resolved(2, sameGame);      // RowChange::None: a second path
//     list.removed(1, game.instance);  // RowChange::Changed if path 2 differs, else None
//     list.removed(2, game.instance);  // RowChange::Removed
#pragma once

#include <string>
#include <vector>

#include "discovery/GameAdvert.h"

namespace zk {

enum class RowChange { None, Added, Changed, Removed };

class GameList {
public:
    // The game resolved (or resolved again, its TXT changed) on `path`.
    RowChange resolved(int path, const FoundGame& game);
    // The service left on `path`.
    RowChange removed(int path, const std::string& instance);
    void clear() { rows_.clear(); }

    // The row of an instance; null when none.
    const FoundGame* find(const std::string& instance) const;
    // Every row, in the order they were first found.
    std::vector<FoundGame> games() const;
    std::size_t size() const { return rows_.size(); }

private:
    struct Row {
        std::string instance;
        std::vector<std::pair<int, FoundGame>> paths; // first resolved first
    };
    std::vector<Row>::iterator rowOf(const std::string& instance);

    std::vector<Row> rows_;
};

} // namespace zk
