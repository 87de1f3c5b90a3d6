// Turns SIGINT and SIGTERM into a clean quit of the Qt event loop. The
// signal handler only writes one byte into a pipe; a QSocketNotifier on the
// pipe's other end quits the application on the event-loop thread. All the
// POSIX calls of the program live here.
//
//     QCoreApplication app(argc, argv);
//     QuitSignals quit;                     // before app.exec()
//     if (!quit.ok()) ...                   // could not install
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zk {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    bool ok() const { return ok_; }

private:
    QSocketNotifier* notifier_ = nullptr;
    bool ok_ = false;
};

} // namespace zk
