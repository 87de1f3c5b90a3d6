// The chat: the entry field and what it sends, received chat and action
// lines, the phrase buttons with their gate, and chatter sounds.
#include "TableLogic.h"

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

// "text|colour" as a chat field carries it.
std::string withColour(std::string_view text, ColourValue colour)
{
    return std::string(text) + "|" + colourToText(colour);
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

HandlerResult TableLogic::chatrecieved(std::string_view payload)
{
    const auto bar = payload.find('|');
    if (bar == std::string_view::npos) {
        addLineToChat(payload, kUnreadableChatColour);
        return HandlerResult::Handled;
    }
    const auto colour = colourFromText(payload.substr(bar + 1));
    addLineToChat(payload.substr(0, bar), colour.value_or(kUnreadableChatColour));
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
            sent = send(MessageWriter(cmd::chat)
                            .field(state_.ownSeat)
                            .field(withColour(text, board_.menu.textColour)));
        } else if (text.starts_with("/me")) {
            // The first four characters go, whatever the fourth is ("/meow": "w").
            const std::string_view action = std::string_view(text).substr(std::min<std::size_t>(4, text.size()));
            sent = send(MessageWriter(cmd::action)
                            .field(state_.ownSeat)
                            .field(withColour(action, board_.menu.actionColour)));
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
    if (!send(MessageWriter(cmd::action)
                  .field(state_.ownSeat)
                  .field(withColour(action, board_.menu.actionColour))))
        return; // nothing went out: the gate stays open
    gateClosedAt_ = clock_();
}

void TableLogic::chatterChoice(int item)
{
    // Item 0 is "<Cancel>"; nothing goes out before the host gave a seat.
    if (item < 1 || item > kChatterSoundCount || !state_.loggedIn)
        return;
    send(MessageWriter(cmd::playasound)
             .field(state_.ownSeat)
             .field("wave" + std::to_string(item))
             .separator());
}

HandlerResult TableLogic::playasound(std::string_view payload)
{
    FieldReader r(payload);
    const auto seat = r.number();
    if (!seat)
        return HandlerResult::Malformed;
    const std::string name = asciiLower(r.text());
    if (board_.menu.playChatterSounds) {
        env_.playSound(name);
        return HandlerResult::Handled;
    }
    // Without chatter sounds the table writes what was sent, when it can
    // name both the sender's label and the sound's menu item.
    if (!Board::isSeat(*seat))
        return HandlerResult::Ignored;
    for (int item = 1; item <= kChatterSoundCount; ++item) {
        if (name == "wave" + std::to_string(item)) {
            systemLine(labelText(*seat) + ": <Chatter Sound> " +
                       std::string(kChatterCaptions[static_cast<std::size_t>(item)]));
            return HandlerResult::Handled;
        }
    }
    return HandlerResult::Ignored;
}

} // namespace zk
