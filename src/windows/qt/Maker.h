// Who made the game and where to find us: the web address and credit lines
// shown by the help and About windows. The table's logo opens the same page.
//
//     zk::openMakerWebPage();   // the logo click and the About window's web line
#pragma once

#include <QStringList>

namespace zk {

// The maker's web page. One address for the About window and the logo.
inline constexpr const char* kMakerWebAddress = "https://zonkards.example/";

// The maker's credit lines, shown at the foot of the help window's side panel
// and in the About window.
QStringList makerCreditLines();

// Opens the maker's web page in the system's web browser. Returns false when
// the system has nothing that can open it; a missing browser is not an error
// the player must hear about.
bool openMakerWebPage();

} // namespace zk
