// A running zonkards program, driven and read through its automation channel
// (ZONKARDS_AUTOMATION): each process gets a sandbox folder of its own that
// serves as its runtime directory (single instance) and its data directory
// (settings, tally), and runs offscreen. Waiting is always for a condition
// with a generous deadline. The program's path comes from ZK_BIN_ZONKARDS
// (zk_test(... PROCESSES)).
//
//     Sandbox box;
//     const int port = freeTcpPort();
//     ZonkardsProcess ann(box, {"Ann", "127.0.0.1", "true"}, port);
//     ASSERT_TRUE(ann.connect());
//     ASSERT_TRUE(ann.waitForBoard([](const QJsonObject& b) { return b["loggedIn"].toBool(); }));
//     ann.command("type Hello");           // "ok"
//     ann.quit();                          // exit code 0
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "LoopbackKit.h"

namespace zk::test {

// Programs with windows start more slowly than the headless host.
inline constexpr int kAppDeadlineMs = 30000;

// A folder of its own for one program: runtime directory and data directory.
class Sandbox {
public:
    Sandbox() : dir_(QDir::tempPath() + QStringLiteral("/zkapp-XXXXXX"))
    {
        QFile::setPermissions(dir_.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    std::string path() const { return dir_.path().toStdString(); }
    std::string file(const std::string& name) const { return path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

// The end of an automation channel that a program connects to.
class AutomationLink {
public:
    explicit AutomationLink(std::string path) : path_(std::move(path))
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path_.c_str(), sizeof a.sun_path - 1);
        ::unlink(path_.c_str());
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 4);
    }
    ~AutomationLink()
    {
        closeConnection();
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }

    // Waits for a program to connect and say hello; its pid, or 0.
    int accept(int timeoutMs = kAppDeadlineMs)
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return 0;
        closeConnection();
        conn_ = ::accept(fd_, nullptr, nullptr);
        buffer_.clear();
        const auto hello = readLine(timeoutMs);
        if (!hello || hello->rfind("hello ", 0) != 0)
            return 0;
        return std::stoi(hello->substr(6));
    }
    bool connected() const { return conn_ >= 0; }

    // One command and its answer; nullopt when the program went away.
    std::optional<std::string> command(const std::string& line, int timeoutMs = kAppDeadlineMs)
    {
        if (conn_ < 0)
            return std::nullopt;
        sendAll(conn_, line + "\n");
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (auto answer = readLine(msLeft(deadline))) {
            if (answer->rfind("event ", 0) == 0) {
                events.push_back(answer->substr(6));
                continue;
            }
            return answer;
        }
        return std::nullopt;
    }
    // Waits for an event line ("raised").
    bool waitForEvent(const std::string& name, int timeoutMs = kAppDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (true) {
            for (const auto& e : events) {
                if (e == name)
                    return true;
            }
            const auto line = readLine(msLeft(deadline));
            if (!line)
                return false;
            if (line->rfind("event ", 0) == 0)
                events.push_back(line->substr(6));
        }
    }

    std::vector<std::string> events;

private:
    std::optional<std::string> readLine(int timeoutMs)
    {
        if (conn_ < 0 || !readUntil(conn_, buffer_, "\n", timeoutMs))
            return std::nullopt;
        const auto end = buffer_.find('\n');
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
    }
    void closeConnection()
    {
        if (conn_ >= 0)
            ::close(conn_);
        conn_ = -1;
    }

    std::string path_;
    int fd_ = -1;
    int conn_ = -1;
    std::string buffer_;
};

// The board a program reports on its link; empty when it went away.
inline QJsonObject readBoard(AutomationLink& link)
{
    const auto answer = link.command("board");
    if (!answer)
        return {};
    return QJsonDocument::fromJson(QByteArray::fromStdString(*answer)).object();
}

// Polls the board until the test holds; the last board read in `last`.
inline bool waitForBoardOn(AutomationLink& link, const std::function<bool(const QJsonObject&)>& test,
                           int timeoutMs = kAppDeadlineMs, QJsonObject* last = nullptr)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const QJsonObject b = readBoard(link);
        if (last)
            *last = b;
        if (!b.isEmpty() && test(b))
            return true;
        if (b.isEmpty() || msLeft(deadline) == 0)
            return false;
        ::usleep(30000);
    }
}

inline bool processGone(int pid)
{
    if (::kill(pid, 0) != 0)
        return errno == ESRCH;
    // A zombie that its parent has not collected yet has ended as well.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

// One zonkards process with its own automation link.
class ZonkardsProcess {
public:
    using BoardTest = std::function<bool(const QJsonObject&)>;

    // launcher: words put before the program (see spawnProgram).
    ZonkardsProcess(const Sandbox& box, std::vector<std::string> args, int port,
                    std::vector<std::string> extraEnv = {}, const std::string& linkName = "auto",
                    std::vector<std::string> launcher = {})
        : link_(box.file(linkName + ".sock")), stderrPath_(box.file(linkName + ".stderr"))
    {
        std::vector<std::string> env = {
            "QT_QPA_PLATFORM=offscreen",           "XDG_RUNTIME_DIR=" + box.path(),
            "ZONKARDS_DATA_DIR=" + box.path(),     "ZONKARDS_PORT=" + std::to_string(port),
            "ZONKARDS_AUTOMATION=" + link_.path(),
        };
        // No test's game asks a router for a port, unless the test says so.
        if (std::none_of(extraEnv.begin(), extraEnv.end(),
                         [](const std::string& e) { return e.rfind("ZONKARDS_PORT_MAPPING=", 0) == 0; }))
            env.push_back("ZONKARDS_PORT_MAPPING=0");
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        pid_ = spawn(args, env, stderrPath_, -1, std::move(launcher));
    }
    ~ZonkardsProcess()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Starts the program with this process's environment, the given
    // variables replacing any of the same name, its standard error into the
    // file stderrPath and its standard output to stdoutFd (-1: ours).
    static int spawn(std::vector<std::string> args, const std::vector<std::string>& env,
                     const std::string& stderrPath, int stdoutFd = -1, std::vector<std::string> launcher = {})
    {
        const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const pid_t pid =
            spawnProgram(ZK_BIN_ZONKARDS, std::move(args), env, stdoutFd, err, -1, std::move(launcher));
        if (err >= 0)
            ::close(err);
        return pid;
    }

    int pid() const { return pid_; }
    AutomationLink& link() { return link_; }

    // Waits for the program's hello on its automation link.
    bool connect(int timeoutMs = kAppDeadlineMs) { return link_.accept(timeoutMs) == pid_; }

    std::string command(const std::string& line) { return link_.command(line).value_or("<gone>"); }
    QJsonObject board() { return readBoard(link_); }
    // Polls the board until the test holds; the last board read in `last`.
    bool waitForBoard(const BoardTest& test, int timeoutMs = kAppDeadlineMs, QJsonObject* last = nullptr)
    {
        return waitForBoardOn(link_, test, timeoutMs, last);
    }

    // The exit code once the process has ended; -1 if it was killed or is
    // still running at the deadline.
    int wait(int timeoutMs = kAppDeadlineMs)
    {
        if (exited_)
            return code_;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) != pid_) {
            if (msLeft(deadline) == 0)
                return -1;
            ::usleep(5000);
        }
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return code_;
    }
    bool running()
    {
        if (exited_)
            return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return false;
        }
        return true;
    }
    void signal(int sig) { ::kill(pid_, sig); }
    // File, Exit through the channel, then the exit code.
    int quit()
    {
        command("quit");
        return wait();
    }
    std::string stderrText() const
    {
        std::ifstream in(stderrPath_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    AutomationLink link_;
    std::string stderrPath_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int code_ = -1;
};

// Board helpers.
inline std::vector<std::string> texts(const QJsonValue& array)
{
    std::vector<std::string> out;
    for (const QJsonValue& v : array.toArray())
        out.push_back(v.toString().toStdString());
    return out;
}
inline std::vector<std::string> chatTexts(const QJsonObject& board)
{
    std::vector<std::string> out;
    for (const QJsonValue& v : board["chat"].toArray())
        out.push_back(v.toObject()["text"].toString().toStdString());
    return out;
}
inline bool chatHas(const QJsonObject& board, const std::string& line)
{
    for (const auto& t : chatTexts(board)) {
        if (t == line)
            return true;
    }
    return false;
}
inline std::string name(const QJsonObject& board, int seat)
{
    return board["names"].toArray()[seat - 1].toString().toStdString();
}
// A board test: the table is logged in and seats 1, 2, ... show these names.
inline auto seated(std::vector<std::string> names)
{
    return [names = std::move(names)](const QJsonObject& b) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (name(b, static_cast<int>(i) + 1) != names[i])
                return false;
        }
        return b["loggedIn"].toBool();
    };
}
inline std::vector<std::vector<std::string>> cells(const QJsonObject& board)
{
    std::vector<std::vector<std::string>> out;
    for (const QJsonValue& column : board["cells"].toArray())
        out.push_back(texts(column));
    return out;
}

} // namespace zk::test
