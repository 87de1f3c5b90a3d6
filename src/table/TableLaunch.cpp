// Launch and login: the command line, hosting, joining, the login message,
// the version notices and a full game.
#include "table/TableLogic.h"

namespace zk {

void TableLogic::processParams(const std::vector<std::string>& args)
{
    board_.startButtonShown = false;
    board_.menu.startGameEnabled = false;
    state_.loginName.clear();

    if (args.empty()) {
        systemLine("Loading Solo Game..Please wait.");
        env_.showLobbyDownload();
        state_.ownName = "You";
        state_.hostAddress = std::string(kLocalHostAddress);
        hostPress();
        return;
    }
    systemLine("Loading Multi-player Game.. Please Wait.");
    if (args.size() < 3)
        return; // idle: nothing connects
    state_.ownName = args[0];
    state_.hostAddress = args[1];
    if (args[2] == "true")
        hostPress();
    else
        joinPress();
    link_.openLobby();
}

void TableLogic::hostPress()
{
    if (!env_.startHostListening())
        return;
    // A 0xFF in the name would cut the login in two; it reads as "y" instead.
    state_.loginName = sanitizeField(state_.ownName) + kTerminator;
    state_.hostFlag = true;
    if (!link_.connectTo(kLocalHostAddress))
        return;
    board_.startButtonShown = true;
    board_.menu.startGameEnabled = true;
    board_.spyList.removeEnabled = true;
}

void TableLogic::connectFailed(std::string_view address, std::string_view reason)
{
    if (reconnect_) {
        reconnectTryFailed(); // the host is not back yet: the next try follows
        return;
    }
    systemLine("Could not connect to " + std::string(address) + " (" + std::string(reason) + ").");
}

void TableLogic::joinStep(std::string_view text)
{
    if (!reconnect_)
        systemLine(text);
}

void TableLogic::setInviteCode(std::string_view code)
{
    if (code == state_.inviteCode)
        return;
    state_.inviteCode = std::string(code);
    if (!code.empty())
        systemLine("Your game's invite code is " + std::string(code));
}

void TableLogic::joinPress()
{
    state_.loginName = sanitizeField(state_.ownName) + kTerminator;
    if (!link_.connectTo(state_.hostAddress))
        return;
    board_.startButtonShown = false;
    board_.menu.startGameEnabled = false;
}

HandlerResult TableLogic::sendloginfo(const msg::Decoded<msg::SendLoginInfo>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->slot;
    state_.ownSeat = seat;
    state_.loggedIn = true;
    // Slot 1 is the hosting table's, also when the engine runs without a
    // window of its own (zonkards-host): its first table gets the powers
    // that hostPress gives.
    if (seat == 1 && !state_.hostFlag) {
        board_.startButtonShown = true;
        board_.menu.startGameEnabled = true;
        board_.spyList.removeEnabled = true;
    }
    // The login name carries its own terminator and the message gets one
    // more, so the host sees an empty message after the login and ignores it.
    send(msg::LoginInfo{std::to_string(state_.ownSeat), std::string(kVersionText), state_.loginName});
    return HandlerResult::Handled;
}

HandlerResult TableLogic::havewrongversion(const msg::Decoded<msg::HaveWrongVersion>& m)
{
    systemLine(m->name + " has a different version of the game then you.");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::wrongversion(const msg::Decoded<msg::WrongVersion>&)
{
    systemLine("You have a differnt version of the game then the host.");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::full(const msg::Decoded<msg::Full>&)
{
    env_.showMessageThenClose("Game is full");
    return HandlerResult::Handled;
}

} // namespace zk
