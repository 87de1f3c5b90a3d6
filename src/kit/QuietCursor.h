// Stops the blinking text cursor once the player has left the keyboard and
// mouse alone for a while, and starts it again on the next input, as GTK
// desktops do. A blinking cursor repaints twice a second for ever; an idle
// table would never sleep. While it rests the cursor stays drawn, solid.
//
//     QApplication app(argc, argv);
//     zk::QuietCursor quietCursor; // for the life of the application
//
// It watches every event of the application (a filter on qApp) and works
// through the application-wide cursor flash time, which every text field
// follows at once. When the platform's cursor does not blink, it does nothing.
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

#include "game/Timing.h"

namespace zk {

class QuietCursor : public QObject {
public:
    explicit QuietCursor(std::chrono::milliseconds quiet = std::chrono::milliseconds(kCursorQuietMs),
                         QObject* parent = nullptr);
    ~QuietCursor() override;
    QuietCursor(const QuietCursor&) = delete;
    QuietCursor& operator=(const QuietCursor&) = delete;

    // The cursor blinks now (false while it rests, and always when the
    // platform's does not blink).
    bool blinking() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rest();

    QTimer quiet_;
    int flashTime_ = 0; // the platform's own, restored on input
    bool resting_ = false;
};

} // namespace zk
