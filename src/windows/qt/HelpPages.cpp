// The words of the help window's six pages.
#include "windows/qt/Thelp.h"

#include "protocol/Commands.h"

namespace zk {
namespace {

const char* const kOverview = R"(
<h3>Welcome to Zonkards</h3>
<p>Zonkards is a dice game for one to six players sitting at one table: on your own
computer against the computer player, on a local network, or across the internet.
Up to three more people may join a table just to watch.</p>
<p>A game lasts <b>7 rounds</b>. In every round each player has one turn of up to
<b>three rolls of five dice</b>, and fills one box of his own column on the score card:
Ones, Twos, Threes, Fours, Fives, Sixes, and in the last round the straight, which the
card lists in its Zonkard row. After the seventh round the highest total wins; players
who share the highest total share the win.</p>
<p>Two moments make the game. Throw a straight with the very first roll of a turn and you
have a <b>zonkard</b>: the dice plus 20 points, written down at once. Throw five of a kind
in the number you chose and you enter <b>bonus mode</b>, where the dice keep rolling for
you for as long as they keep scoring.</p>
<p>Between the rolls you can chat with the table, send ready-made phrases and short chatter
sounds, and keep a private tally of how you fare against the players you follow.</p>
<p>The other pages tell you how to reach other players (Connecting), how a turn is played
(Game Play) and what every box is worth (Scoring).</p>
)";

const char* const kConnecting = R"(
<h3>Playing solo</h3>
<p>Start Zonkards on its own and it sets up a table on your computer, where you play as
<i>You</i> against the computer player Klot. The lobby window offered beside the table can
simply be closed with <b>Play Solo Game</b>. Press <b>START GAME</b> to begin.</p>
<h3>Playing with others</h3>
<p>Multi-player games are arranged in the Quorlan Lobby: the lobby starts Zonkards for every
player with his name and the address of the host, and tells one player's copy to host the
game. If you do not have the lobby, use <b>File, Host or Join a Game...</b>: the player who
hosts enters his name and chooses <i>Host</i>; everybody else enters his own name and the
host's address and chooses <i>Join</i>.</p>
<h3>Games on your network</h3>
<p>A game hosted on your local network shows up by itself in the list at the top of <b>Host
or Join a Game...</b>, with its players, its state and its version: double-click it (or pick
it and press OK) to join, without typing an address. <b>Refresh</b> searches again. A greyed
game cannot be joined: point at it to see why (another version of Zonkards, a full table, or
the game your own computer hosts). Every game hosted for others announces itself on the
local network (a solo game never does): its version, how many seats are taken and whether it
is running, but no player's name. A game you do not see in the list can still be joined by its address: some
networks (guest Wi-Fi, for one) keep computers from seeing each other, and a computer without
the Avahi service cannot search at all; the list then says so.</p>
<h3>Playing with friends over the internet</h3>
<p>To host for friends elsewhere, choose <i>Friends with the invite code</i> in <b>Host or
Join a Game...</b> (or <i>Listed for everyone on the internet</i>, so anybody may join;
<i>This network only</i> keeps the game at home). The chat then says <i>Your game's invite
code is +K7QM2Xr</i>; send your friends that code (the chat's menu has <b>Copy Invite
Code</b>). A friend types the code, with its +, where the host's address goes, or picks a
listed game from the dialog's <b>Internet</b> list. The code stays the same each time you
host.</p>
<p>This works through a game coordinator, a service on the internet that your copy of
Zonkards must be told of (the <i>CoordinatorAddress</i> option). It tries to reach your
computer from outside, after Zonkards has asked your router to open the way. When it can,
your friends connect straight to you; when it cannot, their connections pass through the
coordinator's relay. Those connections are encrypted on their way, but the relay itself
could read the game passing through it, chat and names included; it keeps nothing.</p>
<p>When nothing works (the game says <i>No coordinator is configured</i>, or that the
coordinator cannot be reached), play by address as below. Games on your own network and
typed addresses always work.</p>
<h3>Hosting</h3>
<p>The host's computer runs the game for the whole table, and every other player connects
to it on <b>TCP port 7772</b>. To be joined by address from the internet, the host's
firewall must let incoming connections on port 7772 through, and a home router must forward
that port to the host's computer; the host then tells his friends his internet address.
Players who only join need no open port. Even a solo game talks to itself over the network,
so allow Zonkards through your firewall.</p>
<h3>Seats and watchers</h3>
<p>The first six players take seats 1 to 6 and play; the next three connections watch and
appear in the spy list. A tenth connection is turned away because the game is full. Every
player should run the same version of Zonkards; the table tells you when a newcomer's
version differs from the host's.</p>
<h3>When the host leaves</h3>
<p><b>All play ends if the host disconnects.</b> When the host closes Zonkards or loses his
connection, every table at that game closes too. A player who is not the host may leave at
any time; the game goes on without him.</p>
)";

const char* const kGamePlay = R"(
<h3>Starting a game</h3>
<p>The host presses <b>START GAME</b> and chooses the bonus-roll limit: 1, 2 or 5 rolls, or
Unlimited. If nobody sits in seat 2, the computer player Klot takes it, so nobody ever plays
alone. A new START GAME always begins a fresh game.</p>
<h3>Your turn</h3>
<p>Players take turns in seat order, beginning with seat 1, and every turn fills one box, so
after 7 rounds every box is filled. When your turn comes, press <b>ROLL</b>: the first roll
throws all five dice. Click a die to hold it (click again to let it go); the second and the
third roll throw only the dice you do not hold. A die that is thrown again always comes up
with a different face.</p>
<h3>Choosing a category</h3>
<p>Before your <b>third roll</b> you must choose one of your open categories by clicking it on
the score card. You may choose earlier, even before the first roll, but a choice cannot be
changed. When only one category is left, your first roll chooses it for you. After the third
roll the dice are scored in the chosen category and the turn passes on.</p>
<h3>The straight</h3>
<p>The straight (1-2-3-4-5 or 2-3-4-5-6) can be chosen only in <b>round 7</b>, when it is the
last box left.</p>
<h3>Zonkard</h3>
<p>If the first roll of your turn is a straight while your straight box is still open, in any
round, that is a <b>zonkard</b>: it is written into the Zonkard row at once, worth the dice
plus 20 points, and your turn ends there, whatever category you had picked.</p>
<h3>Bonus mode</h3>
<p>If your third roll shows <b>five of a kind in the number you chose</b> (five fours in
Fours, say), you score them and enter bonus mode. The host now rolls all five dice for you,
again and again, and every die that shows your number adds its value to that box and to
your total. Bonus mode ends with the first roll that shows none of your number, or when the
<b>bonus-roll limit</b> chosen at the start of the game has been reached.</p>
<h3>Computer players</h3>
<p>The computer plays seat 2 when nobody sits there, every seat whose player has chosen to
just watch, and the seat of a player who left the table between his turns. It always takes
its three rolls. <b>Options, Bot Speed</b> (Slow, Normal, Fast) on the host's table sets how
quickly it moves and how quickly bonus rolls follow each other.</p>
<h3>Just watching</h3>
<p>During a game, <b>Options, Just Watch</b> hands your seat to the computer player, who plays
your turns from then on; choose it again to take your seat back. The host can do the same
for any seat from the seat menu on the player names. Connections beyond the six seats only
watch.</p>
<h3>Winning</h3>
<p>When round 7 is over, the highest total wins. Players with the same highest total all win.</p>
<h3>Playing with the keyboard</h3>
<p>These keys work while you type in the chat and take nothing away from your typing:</p>
<table cellspacing="4">
<tr><td><b>Ctrl+R</b></td><td>ROLL DICE, or START GAME when it is shown</td></tr>
<tr><td><b>Ctrl+1</b> to <b>Ctrl+5</b></td><td>hold or let go die 1 to 5</td></tr>
<tr><td><b>Alt+1</b> to <b>Alt+7</b></td><td>choose the category of row 1 (Ones) to row 7 (Zonkard)</td></tr>
<tr><td><b>F1</b></td><td>this help</td></tr>
</table>
<p><b>Tab</b> moves from the chat onto the board and back. On the board the <b>arrow keys</b>
move a yellow ring over the dice, the roll button, the category buttons and the phrase
buttons; <b>Space</b> or <b>Enter</b> presses what the ring is on, and <b>Escape</b> returns
to the chat. When the table asks about rolling without a category, <b>Y</b> or <b>Enter</b>
answers YES and <b>N</b> or <b>Escape</b> NO; the reminder before the third roll closes with
<b>Enter</b> or <b>Escape</b>. These answer from the chat too while the question is shown;
otherwise the letters type as always. Pointing at a button shows its key.</p>
<p>With a screen reader running, the table speaks every turn, roll, hold, question, score and
the winner wherever the focus is, and the other players' chat lines unless <b>Options, Speak
Chat Lines</b> is turned off.</p>
)";

const char* const kScoring = R"(
<h3>What every box is worth</h3>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th align="left">Category</th><th align="left">Points</th></tr>
<tr><td>Ones to Sixes</td><td>the face times the number of dice showing it: three fours in
Fours score 12, five sixes in Sixes score 30; no matching die scores 0</td></tr>
<tr><td>Straight (round 7)</td><td>the sum of the dice when they show a straight:
<b>15</b> for 1-2-3-4-5, <b>20</b> for 2-3-4-5-6; anything else scores 0</td></tr>
<tr><td>Zonkard</td><td>a straight on the first roll while the straight box is open: the sum
of the dice plus 20, that is <b>35</b> or <b>40</b>, scored at once in the Zonkard row</td></tr>
<tr><td>Bonus rolls</td><td>in bonus mode, every die showing your number adds that number to
the box and to your total: two sixes in one bonus roll of Sixes add 12</td></tr>
</table>
<h3>Totals</h3>
<p>Your total is the sum of your boxes, bonus points included. After the seventh round the
highest total wins, and equal highest totals share the win.</p>
<h3>An example</h3>
<p>You choose Fives and hold your fives. After the third roll four dice show a five: Fives
scores 20. Had all five shown a five, Fives would score 25 and bonus mode would begin; a
bonus roll with two fives would add 10 more, making 35.</p>
)";

const char* const kLicense = R"(
<h3>Zonkards licence</h3>
<p>Copyright &copy; 2024 the Zonkards team.</p>
<p>You may use Zonkards free of charge, on as many computers as you like, and give unchanged
copies of it to anybody, provided you charge nothing for it and keep this licence with it.</p>
<p>You may not sell Zonkards, rent it out, or pass off changed copies as the original.</p>
<p>Zonkards is provided as it is, without any warranty. The authors are not liable for any
loss or damage that comes from using it. Playing over the internet means letting other
computers connect to yours; you do so at your own risk.</p>
<p>The pictures and sounds of Zonkards were made for it by its authors and are covered by the
same terms.</p>
)";

QString documentation()
{
    return QStringLiteral(R"(
<h3>Documentation</h3>
<p>Zonkards keeps its options in the file <i>quorlanlobby.ini</i>, in the section <i>agame</i>,
and your win tally in <i>agametally.tld</i>. An installed copy keeps both in your own data
folder (on Linux <i>~/.local/share/Zonkards</i>); a copy unpacked into a folder you may write
to keeps them beside the program. Every option you change is saved at once; the tally is
saved when you leave the game. A tally that cannot be read is kept beside it under a new
name (<i>agametally.tld.unreadable-</i> and the date), you are told so, and a new tally is
started.</p>
<p>Shortcuts: <b>F1</b> opens this help; <b>Ctrl+S</b> stops and starts the scrolling of the
chat. Typing <i>/me</i> before a line sends it as an action.</p>
<h3>History</h3>
<p><b>1.0.0</b>: the first release: solo games against the computer, games of up to six
players with three watchers, chat and phrases.</p>
<p><b>1.0.1</b>: the bonus-roll limit at the start of a game; the win tally; chatter sounds;
watchers see the table as it stands when they arrive.</p>
<p><b>%1</b>: Bot Speed; Just Watch hands a seat to the computer player and back; the host can
remove players and watchers; a warning when players run different versions.</p>
)")
        .arg(QString::fromLatin1(kVersionText.data(), static_cast<qsizetype>(kVersionText.size())));
}

} // namespace

QList<HelpPage> helpPages()
{
    return {
        {QStringLiteral("Overview"), QString::fromUtf8(kOverview)},
        {QStringLiteral("Connecting"), QString::fromUtf8(kConnecting)},
        {QStringLiteral("Game Play"), QString::fromUtf8(kGamePlay)},
        {QStringLiteral("Scoring"), QString::fromUtf8(kScoring)},
        {QStringLiteral("Documentation"), documentation()},
        {QStringLiteral("License"), QString::fromUtf8(kLicense)},
    };
}

} // namespace zk
