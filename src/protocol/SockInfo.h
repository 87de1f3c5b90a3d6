// The kinds of state report a socket gives (TSock's onInfo), in plain C++
// so that the table logic, which links no Qt, decides by the kind too. The
// report's text (e.g. "Socket Closed" with Close) is for the log and the
// player; TSock writes every one of them (qt/TSock.cpp), nobody compares them.
#pragma once

namespace zk {

enum class SockInfoKind {
    Lookup,  // a port or host is being looked up
    Connect, // a connection was made
    Close,   // the connection has closed (either side), or is closed already
    Broken,  // just before its Close: the connection broke (a reset, a timeout),
             // the peer did not close it
    Listen,  // listening started or stopped
    Receive, // bytes arrived
    Send,    // bytes went out
    Accept,  // a waiting connection was taken, or there was none
    Error,   // a socket error, with its number and name
};

} // namespace zk
