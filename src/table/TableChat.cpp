// The chat: the entry field and what it sends, received chat and action
// lines, the phrase buttons with their gate, and chatter sounds.
#include "table/TableChat.h"

#include <algorithm>

namespace zk {

namespace {

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

std::string withColour(std::string_view text, ColourValue colour)
{
    return msg::ColouredText{std::string(text), colour}.format();
}

} // namespace

TableChat::TableChat(const TableContext& table, Clock clock) : table_(table), clock_(std::move(clock))
{
}

void TableChat::addLineToChat(std::string_view text, ColourValue colour)
{
    table_.board.chat.append(ChatLine{std::string(text), colour});
}

void TableChat::clearMainChat()
{
    table_.board.chat.clear();
}

void TableChat::toggleScrollLock()
{
    table_.board.menu.scrollLock = !table_.board.menu.scrollLock;
}

HandlerResult TableChat::chatrecieved(const msg::Decoded<msg::RelayedLine>& m)
{
    const auto [text, colour] = msg::ColouredText::parse(m->line);
    addLineToChat(text, colour.value_or(kUnreadableChatColour));
    return HandlerResult::Handled;
}

void TableChat::setChatEntry(std::string text)
{
    table_.board.chatEntry = std::move(text);
}

void TableChat::chatEntryKeyPressed()
{
    if (table_.board.chatEntry == kChatPlaceholder)
        table_.board.chatEntry.clear();
}

void TableChat::pasteIntoChatEntry(std::string text)
{
    table_.board.chatEntry = std::move(text);
}

void TableChat::sendit()
{
    if (!table_.state.loggedIn)
        return; // the text stays in the field
    const std::string& text = table_.board.chatEntry;
    if (!text.empty()) {
        bool sent = true;
        if (text.front() != '/') {
            sent = table_.send(
                msg::Chat{{table_.state.ownSeat, withColour(text, table_.board.menu.textColour)}});
        } else if (text.starts_with("/me")) {
            // The first four characters go, whatever the fourth is ("/meow": "w").
            const std::string_view action =
                std::string_view(text).substr(std::min<std::size_t>(4, text.size()));
            sent = table_.send(
                msg::Action{{table_.state.ownSeat, withColour(action, table_.board.menu.actionColour)}});
        }
        // Any other line that begins with "/" is not sent.
        if (!sent)
            return;
    }
    table_.board.chatEntry.clear();
}

bool TableChat::phraseGateOpen() const
{
    return !gateClosedAt_ || clock_() - *gateClosedAt_ >= std::chrono::milliseconds(kPhraseGateMs);
}

void TableChat::phraseClick(int button)
{
    if (button < 1 || button > kPhraseCount || !phraseGateOpen())
        return;
    const std::string& phrase = table_.board.phrases[static_cast<std::size_t>(button - 1)];
    const std::string action = phrase.starts_with("/me ") ? phrase.substr(4) : "says: " + phrase;
    if (!table_.send(msg::Action{{table_.state.ownSeat, withColour(action, table_.board.menu.actionColour)}}))
        return; // nothing went out: the gate stays open
    gateClosedAt_ = clock_();
}

void TableChat::chatterChoice(int item)
{
    // Item 0 is "<Cancel>"; nothing goes out before the host gave a seat.
    if (item < 1 || item > kChatterSoundCount || !table_.state.loggedIn)
        return;
    table_.send(msg::PlayASound::chatter(table_.state.ownSeat, item));
}

HandlerResult TableChat::playasound(const msg::Decoded<msg::PlayASound>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->slot;
    const std::string name = asciiLower(m->name());
    if (table_.board.menu.playChatterSounds) {
        table_.env.playSound(name);
        return HandlerResult::Handled;
    }
    // Without chatter sounds the table writes what was sent, when it can
    // name both the sender's label and the sound's menu item.
    if (!Board::isSeat(seat))
        return HandlerResult::Ignored;
    for (int item = 1; item <= kChatterSoundCount; ++item) {
        if (name == "wave" + std::to_string(item)) {
            table_.systemLine(table_.labelText(seat) + ": <Chatter Sound> " +
                              std::string(kChatterCaptions[static_cast<std::size_t>(item)]));
            return HandlerResult::Handled;
        }
    }
    return HandlerResult::Ignored;
}

} // namespace zk
