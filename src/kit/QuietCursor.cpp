#include "kit/QuietCursor.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace zk {

namespace {

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::InputMethod: return true;
    default: return false;
    }
}

} // namespace

QuietCursor::QuietCursor(std::chrono::milliseconds quiet, QObject* parent)
    : QObject(parent), flashTime_(QGuiApplication::styleHints()->cursorFlashTime())
{
    if (flashTime_ <= 0)
        return;
    quiet_.setSingleShot(true);
    quiet_.setInterval(quiet);
    connect(&quiet_, &QTimer::timeout, this, &QuietCursor::rest);
    quiet_.start();
    qApp->installEventFilter(this);
}

QuietCursor::~QuietCursor()
{
    if (resting_)
        QGuiApplication::styleHints()->setCursorFlashTime(flashTime_);
}

bool QuietCursor::blinking() const
{
    return flashTime_ > 0 && !resting_;
}

bool QuietCursor::eventFilter(QObject* watched, QEvent* event)
{
    if (isInput(event->type())) {
        if (resting_) {
            resting_ = false;
            QGuiApplication::styleHints()->setCursorFlashTime(flashTime_);
        }
        // Several widgets see one input as it propagates; one restart is
        // enough while most of the period is still to come.
        if (!quiet_.isActive() || quiet_.remainingTime() < quiet_.interval() - 50)
            quiet_.start();
    }
    return QObject::eventFilter(watched, event);
}

void QuietCursor::rest()
{
    resting_ = true;
    // A flash time of 0 means "do not blink": every text field shows its
    // cursor solid and stops its blink timer.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

} // namespace zk
