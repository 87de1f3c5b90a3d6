// TableChat: the chat of the table logic. It owns the chat display, the
// entry field, the phrase buttons with their gate (one phrase every two
// seconds) and the chatter sounds; it sends typed lines, "/me" actions,
// phrases and chatter sounds, and shows the lines and sounds the host relays.
//
//     logic.chat().setChatEntry("hi all");
//     logic.chat().sendit();          // CMD_chat+3+hi all|clBlack
//     logic.chat().phraseClick(2);    // CMD_action+3+says: Good One!|clBlack
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "table/TableContext.h"

namespace zk {

class TableChat {
public:
    // A monotonic clock in milliseconds (its origin does not matter).
    using Clock = std::function<std::chrono::milliseconds()>;

    TableChat(const TableContext& table, Clock clock);

    // The entry field's text as the player edited it.
    void setChatEntry(std::string text);
    // Any key in the entry field; while it shows "<Enter Chat Here>" the key
    // first empties it. Enter is this, then sendit().
    void chatEntryKeyPressed();
    // "Paste": the clipboard's text replaces the whole field.
    void pasteIntoChatEntry(std::string text);
    // Sends the entry field's text (chat, "/me" action) and empties it.
    void sendit();
    // Phrase button 1-9.
    void phraseClick(int button);
    // Chatter sound menu item 0 ("<Cancel>") to 12.
    void chatterChoice(int item);
    // Appends one line to the chat display.
    void addLineToChat(std::string_view text, ColourValue colour);
    void clearMainChat();
    void toggleScrollLock();
    // True while a phrase button may send.
    bool phraseGateOpen() const;

    // The host's relayed chat and action lines, and chatter sounds.
    HandlerResult chatrecieved(const msg::Decoded<msg::RelayedLine>& m);
    HandlerResult playasound(const msg::Decoded<msg::PlayASound>& m);

private:
    TableContext table_;
    Clock clock_;
    // When the phrase gate closed; empty while it is open.
    std::optional<std::chrono::milliseconds> gateClosedAt_;
};

} // namespace zk
