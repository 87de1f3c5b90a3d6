// Compiled by the tests, never linked: an inbox of the host's side that
// handles every message a table sends, except CMD_kickhim unless
// ZK_ALL_HANDLED is defined. Built with it, it compiles; without it, the
// dispatch must refuse to compile, so a message added to a list without
// its handler cannot go unnoticed.
#include "protocol/Dispatch.h"

namespace {

using namespace zk;

struct Inbox {
    template <typename M>
    requires(!std::same_as<M, msg::KickHim>) HandlerResult receive(int, const msg::Decoded<M>&)
    {
        return HandlerResult::Handled;
    }
#ifdef ZK_ALL_HANDLED
    HandlerResult receive(int, const msg::Decoded<msg::KickHim>&)
    {
        return HandlerResult::Handled;
    }
#endif
};

} // namespace

HandlerResult handle(std::string_view message)
{
    Inbox inbox;
    return msg::dispatch(msg::TableToHost{}, message, inbox, 1);
}
