// Shared helpers of the socket tests: spinning the event loop until a
// condition holds, and a log of everything a TSock reports.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/qt/TSock.h"

namespace zk::test {

// Runs the event loop until cond() holds or a generous deadline passes.
inline bool spinUntil(const std::function<bool()>& cond, int deadlineMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > deadlineMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs the event loop for a short while, to let events that should NOT come
// show themselves.
inline void spinFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// One line per event, in order: "<who> <kind>: <text>".
struct EventLog {
    std::vector<std::string> lines;
    bool offThread = false; // an event arrived on another thread than the UI's

    void add(const std::string& line)
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            offThread = true;
        lines.push_back(line);
    }
    // Records the info reports of a socket under a name.
    void watch(TSock& s, const std::string& who)
    {
        s.onInfo = [this, who](TSock&, TSock::InfoKind kind, const std::string& text) {
            add(who + " " + infoKindName(kind) + ": " + text);
        };
    }
    std::size_t count(const std::string& line) const
    {
        std::size_t n = 0;
        for (const auto& l : lines)
            n += l == line;
        return n;
    }
    bool has(const std::string& line) const { return count(line) > 0; }
    // The lines that start with a prefix, in order.
    std::vector<std::string> of(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0)
                out.push_back(l);
        return out;
    }
};

// The text of the ESockException that f throws, or "" when it throws none.
inline std::string thrownText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ESockException& e) {
        return e.what();
    }
    return {};
}

} // namespace zk::test
