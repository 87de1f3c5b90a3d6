// Announcer: gives a listening screen reader the sentences of the game,
// wherever the keyboard focus is in the table window.
//
// The window's parts are named for a reader (BoardAccessible), but a reader
// only speaks what changes under its focus. So the table keeps one small
// part whose role is a notification: for every batch of sentences it takes
// them as its name and reports itself shown, which screen readers speak at
// once ("notification Your Turn"). Nothing is drawn.
//
//     auto* announcer = new Announcer(window);
//     announcer->say("Your Turn");  // spoken in a moment, with what follows it
//
// Sentences given close together are spoken as one: a reader breaks off
// what it is saying for each new notification, so a roll and the status it
// brings must not arrive as two. A batch also waits (a little) until the
// one before it had time to be heard. Silent while no reader listens.
#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QAccessibleInterface;

namespace zk {

class Announcer : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent = nullptr);

    // Queues a sentence for the reader.
    void say(const QString& sentence);
    // What the reader was given last (the part's accessible name).
    QString text() const { return text_; }
    // Speaks what is queued now (for the tests and a closing window).
    void flush();
    // Whether the table should give its sentences: while a reader listens,
    // or always once told to (the tests, which read them from announced()).
    bool wanted() const;
    void setWantedWithoutReader(bool wanted) { wantedWithoutReader_ = wanted; }

    static QAccessibleInterface* factory(const QString& className, QObject* object);

signals:
    // A batch was handed to the reader.
    void announced(const QString& text);

private:
    void flushWhenHeard();

    QStringList pending_;
    QString text_;
    QTimer timer_;
    QElapsedTimer queuedFor_; // since the oldest sentence waiting
    QElapsedTimer sinceSpoken_;
    qint64 speakingMs_ = 0; // how long the last batch takes to hear
    bool wantedWithoutReader_ = false;
};

} // namespace zk
