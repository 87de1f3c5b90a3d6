#include "table/qt/board/Announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>

namespace zk {
namespace {

// Sentences this close together are one batch.
constexpr int kGatherMs = 150;
// A batch waits for the one before it at most this long after its first
// sentence; a reader set to speak slowly would otherwise fall behind the game.
constexpr qint64 kMostWaitMs = 2500;
// What hearing a text takes at a reader's usual pace.
qint64 hearingMs(const QString& text)
{
    return 300 + 45 * static_cast<qint64>(text.size());
}

class AnnouncerAccessible : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<Announcer*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

} // namespace

Announcer::Announcer(QWidget* parent) : QWidget(parent)
{
    static const bool readable = [] {
        QAccessible::installFactory(Announcer::factory);
        return true;
    }();
    (void)readable;
    setObjectName(QStringLiteral("announcer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(1, 1);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Announcer::flushWhenHeard);
}

QAccessibleInterface* Announcer::factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("zk::Announcer") && object && object->isWidgetType())
        return new AnnouncerAccessible(static_cast<Announcer*>(object));
    return nullptr;
}

bool Announcer::wanted() const
{
    return wantedWithoutReader_ || QAccessible::isActive();
}

void Announcer::say(const QString& sentence)
{
    if (sentence.isEmpty() || !wanted())
        return;
    if (pending_.isEmpty())
        queuedFor_.start();
    pending_ << sentence;
    timer_.start(kGatherMs);
}

void Announcer::flushWhenHeard()
{
    const qint64 stillSpeaking = sinceSpoken_.isValid() ? speakingMs_ - sinceSpoken_.elapsed() : 0;
    const qint64 waitedMs = queuedFor_.isValid() ? queuedFor_.elapsed() : 0;
    if (stillSpeaking > 0 && waitedMs < kMostWaitMs) {
        timer_.start(static_cast<int>(std::min(stillSpeaking, kMostWaitMs - waitedMs)));
        return;
    }
    flush();
}

void Announcer::flush()
{
    timer_.stop();
    if (pending_.isEmpty())
        return;
    text_ = pending_.join(QLatin1Char(' '));
    pending_.clear();
    speakingMs_ = hearingMs(text_);
    sinceSpoken_.start();
    if (QAccessible::isActive()) {
        QAccessibleEvent name(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&name);
        // Readers speak a notification when it shows; the part stays where
        // it is, only the event is sent.
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
    emit announced(text_);
}

} // namespace zk
