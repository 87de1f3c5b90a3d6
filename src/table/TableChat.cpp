// The chat: the entry field and what it sends, received chat and action
// lines, the phrase buttons with their gate, and chatter sounds.
#include "table/TableLogic.h"

#include <algorithm>

namespace zk {

namespace {

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

std::string withColour(std::string_view text, ColourValue colour)
{
    return msg::ColouredText{std::string(text), colour}.format();
}

} // namespace

void TableLogic::addLineToChat(std::string_view text, ColourValue colour)
{
    board_.chat.lines.push_back(ChatLine{std::string(text), colour});
}

void TableLogic::clearMainChat()
{
    board_.chat.lines.clear();
    ++board_.chat.clearCount;
}

void TableLogic::toggleScrollLock()
{
    board_.menu.scrollLock = !board_.menu.scrollLock;
}

HandlerResult TableLogic::chatrecieved(const msg::Decoded<msg::RelayedLine>& m)
{
    const auto [text, colour] = msg::ColouredText::parse(m->line);
    addLineToChat(text, colour.value_or(kUnreadableChatColour));
    return HandlerResult::Handled;
}

void TableLogic::setChatEntry(std::string text)
{
    board_.chatEntry = std::move(text);
}

void TableLogic::chatEntryKeyPressed()
{
    if (board_.chatEntry == kChatPlaceholder)
        board_.chatEntry.clear();
}

void TableLogic::pasteIntoChatEntry(std::string text)
{
    board_.chatEntry = std::move(text);
}

void TableLogic::sendit()
{
    if (!state_.loggedIn)
        return; // the text stays in the field
    const std::string& text = board_.chatEntry;
    if (!text.empty()) {
        bool sent = true;
        if (text.front() != '/') {
            sent = send(msg::Chat{{state_.ownSeat, withColour(text, board_.menu.textColour)}});
        } else if (text.starts_with("/me")) {
            // The first four characters go, whatever the fourth is ("/meow": "w").
            const std::string_view action = std::string_view(text).substr(std::min<std::size_t>(4, text.size()));
            sent = send(msg::Action{{state_.ownSeat, withColour(action, board_.menu.actionColour)}});
        }
        // Any other line that begins with "/" is not sent.
        if (!sent)
            return;
    }
    board_.chatEntry.clear();
}

bool TableLogic::phraseGateOpen() const
{
    return !gateClosedAt_ || clock_() - *gateClosedAt_ >= std::chrono::milliseconds(kPhraseGateMs);
}

void TableLogic::phraseClick(int button)
{
    if (button < 1 || button > kPhraseCount || !phraseGateOpen())
        return;
    const std::string& phrase = board_.phrases[static_cast<std::size_t>(button - 1)];
    const std::string action =
        phrase.starts_with("/me ") ? phrase.substr(4) : "says: " + phrase;
    if (!send(msg::Action{{state_.ownSeat, withColour(action, board_.menu.actionColour)}}))
        return; // nothing went out: the gate stays open
    gateClosedAt_ = clock_();
}

void TableLogic::chatterChoice(int item)
{
    // Item 0 is "<Cancel>"; nothing goes out before the host gave a seat.
    if (item < 1 || item > kChatterSoundCount || !state_.loggedIn)
        return;
    send(msg::PlayASound::chatter(state_.ownSeat, item));
}

HandlerResult TableLogic::playasound(const msg::Decoded<msg::PlayASound>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->slot;
    const std::string name = asciiLower(m->name());
    if (board_.menu.playChatterSounds) {
        env_.playSound(name);
        return HandlerResult::Handled;
    }
    // Without chatter sounds the table writes what was sent, when it can
    // name both the sender's label and the sound's menu item.
    if (!Board::isSeat(seat))
        return HandlerResult::Ignored;
    for (int item = 1; item <= kChatterSoundCount; ++item) {
        if (name == "wave" + std::to_string(item)) {
            systemLine(labelText(seat) + ": <Chatter Sound> " +
                       std::string(kChatterCaptions[static_cast<std::size_t>(item)]));
            return HandlerResult::Handled;
        }
    }
    return HandlerResult::Ignored;
}

} // namespace zk
