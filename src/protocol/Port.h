#pragma once

namespace zk {

// The TCP port of the host: ZONKARDS_PORT when it holds a number from 1 to
// 65535, otherwise 7772. Host and table read it alike.
int gamePort();

} // namespace zk
