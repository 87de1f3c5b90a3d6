// BoardNotice: the one "the Board may have changed" notice of a table.
// Whoever changed the Board gives it: the connection after each host message
// and report, a window after an action of the player. Every view of the
// Board listens to it and redraws, so a click and a host message reach the
// same windows by the same route.
//
//     BoardNotice::Listening redraw = logic.boardNotice().listen([&] { window.refresh(); });
//     logic.rollClick();
//     logic.boardNotice().changed(); // window.refresh()
//
// A listener listens for as long as its Listening lives; the notice may go
// first. Listeners are told in the order they began to listen.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace zk {

class BoardNotice {
    struct Listeners {
        std::vector<std::pair<int, std::function<void()>>> list;
        int lastId = 0;
    };

public:
    class [[nodiscard]] Listening {
    public:
        Listening() = default;
        Listening(Listening&& other) noexcept;
        Listening& operator=(Listening&& other) noexcept;
        ~Listening() { stop(); }
        void stop();

    private:
        friend class BoardNotice;
        Listening(std::weak_ptr<Listeners> listeners, int id) : listeners_(std::move(listeners)), id_(id) {}
        std::weak_ptr<Listeners> listeners_;
        int id_ = 0;
    };

    Listening listen(std::function<void()> listener);
    // Tells every listener. One that stops listening meanwhile is not told.
    void changed() const;

private:
    std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
};

} // namespace zk
