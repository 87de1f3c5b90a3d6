// PrevInstance: the program runs once per user session. The first copy holds
// the lock "nalrouq" in the user's runtime directory and listens on a local
// socket beside it; a second copy finds the lock held, asks the first copy
// through that socket to bring its window forward, and ends before it makes
// any window. It also holds the lock named by the game key, "agame", for its
// whole life (nothing tests that one; it marks a running game).
//
// The locks are lock files that the operating system lets go of when the
// process dies, so a copy that crashed or was killed never blocks the next
// start. Everything lives in the runtime directory (XDG_RUNTIME_DIR on
// Linux): every runtime directory is a world of its own, which is how tests
// run several copies side by side.
//
//     PrevInstance instance;
//     if (!instance.claim())
//         return 0;                    // the running copy comes forward
//     connect(&instance, &PrevInstance::comeForwardRequested, ...);
//     ...
//     instance.release();              // before starting a new copy of ourselves
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

#include "game/Options.h" // kGameKey

class QLocalServer;

namespace zk {

class PrevInstance : public QObject {
    Q_OBJECT
public:
    // The single-instance lock and the local socket named after it.
    static constexpr const char* kInstanceName = "nalrouq";
    // What a second copy writes to the first.
    static constexpr const char* kComeForward = "come forward\n";

    // runtimeDir empty: the user's runtime directory (QStandardPaths).
    explicit PrevInstance(QString runtimeDir = {}, QObject* parent = nullptr);
    ~PrevInstance() override;

    // Becomes the running copy and returns true; or, when another copy runs,
    // asks it to come forward and returns false. Without a usable runtime
    // directory there is nothing to check against: true.
    bool claim();
    // Lets go of both locks and the local socket, so that a new copy of the
    // program can start (the host-or-join relaunch).
    void release();
    // Takes them again after a relaunch that failed; false when another copy
    // got there first.
    bool reacquire();

    bool holdsLock() const;
    QString serverPath() const;

signals:
    // A second copy asked this one to bring its window forward.
    void comeForwardRequested();

private:
    bool takeLocks();
    bool listen();
    void askRunningCopy() const;

    QString dir_;
    std::unique_ptr<QLockFile> instance_;
    std::unique_ptr<QLockFile> gameMutex_;
    QLocalServer* server_ = nullptr;
};

} // namespace zk
