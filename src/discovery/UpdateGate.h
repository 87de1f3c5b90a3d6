// Spacing of announcements: each TXT update is a multicast packet to every
// device on the link, so changes go out at most once per spacing. The first
// change after a quiet spell goes at once; changes inside the spacing are
// held and go out together when it ends. Time is an input (milliseconds of
// a steady clock), so the gate is tested by stepping it.
//
//     UpdateGate gate(1000);
//     if (gate.change(now)) send();          // else: wait gate.wait(now), then
//     if (gate.due(later)) send();
#pragma once

#include <optional>

namespace zk {

class UpdateGate {
public:
    using Ms = long long;
    explicit UpdateGate(Ms spacing) : spacing_(spacing) {}

    // A change happened: true when it may go out now (it counts as sent).
    bool change(Ms now);
    // True when a held change may go out now (it counts as sent).
    bool due(Ms now);
    // How long until a held change is due; nullopt when none is held.
    std::optional<Ms> wait(Ms now) const;

private:
    Ms spacing_;
    std::optional<Ms> lastSent_;
    bool held_ = false;
};

} // namespace zk
