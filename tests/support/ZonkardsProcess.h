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

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
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

#include <chrono>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace zk::testing {

using AppClock = std::chrono::steady_clock;
inline constexpr int kAppDeadlineMs = 30000;

inline int millisLeft(AppClock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - AppClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A port on loopback that nobody listened on a moment ago.
inline int freeTcpPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// A TCP listener on 127.0.0.1 (a stand-in host, or the lobby's port).
class TcpListener {
public:
    explicit TcpListener(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd_, 5) == 0;
    }
    ~TcpListener()
    {
        for (int c : accepted_)
            ::close(c);
        ::close(fd_);
    }
    bool ok() const { return ok_; }
    // The next connection, or -1 at the deadline. The listener keeps it.
    int accept(int timeoutMs)
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return -1;
        const int c = ::accept(fd_, nullptr, nullptr);
        if (c >= 0)
            accepted_.push_back(c);
        return c;
    }

private:
    int fd_ = -1;
    bool ok_ = false;
    std::vector<int> accepted_;
};

// Bytes from fd until the text appears or the deadline passes.
inline bool readUntil(int fd, std::string& buffer, const std::string& text, int timeoutMs)
{
    const auto deadline = AppClock::now() + std::chrono::milliseconds(timeoutMs);
    while (buffer.find(text) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, millisLeft(deadline)) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

inline void sendAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// A folder of its own for one program: runtime directory and data directory.
class Sandbox {
public:
    Sandbox() : dir_(QDir::tempPath() + QStringLiteral("/zkapp-XXXXXX"))
    {
        QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
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
        const auto deadline = AppClock::now() + std::chrono::milliseconds(timeoutMs);
        while (auto answer = readLine(millisLeft(deadline))) {
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
        const auto deadline = AppClock::now() + std::chrono::milliseconds(timeoutMs);
        while (true) {
            for (const auto& e : events) {
                if (e == name)
                    return true;
            }
            const auto line = readLine(millisLeft(deadline));
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
    const auto deadline = AppClock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const QJsonObject b = readBoard(link);
        if (last)
            *last = b;
        if (!b.isEmpty() && test(b))
            return true;
        if (b.isEmpty() || millisLeft(deadline) == 0)
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

    ZonkardsProcess(const Sandbox& box, std::vector<std::string> args, int port,
                    std::vector<std::string> extraEnv = {}, const std::string& linkName = "auto")
        : link_(box.file(linkName + ".sock")), stderrPath_(box.file(linkName + ".stderr"))
    {
        std::vector<std::string> env = {
            "QT_QPA_PLATFORM=offscreen",
            "XDG_RUNTIME_DIR=" + box.path(),
            "ZONKARDS_DATA_DIR=" + box.path(),
            "ZONKARDS_PORT=" + std::to_string(port),
            "ZONKARDS_AUTOMATION=" + link_.path(),
        };
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        pid_ = spawn(args, env, stderrPath_);
    }
    ~ZonkardsProcess()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Starts the program with this process's environment, the given
    // variables replacing any of the same name. Everything is prepared
    // before the fork, so the child only duplicates descriptors and execs.
    static int spawn(std::vector<std::string> args, const std::vector<std::string>& env,
                     const std::string& stderrPath, int stdoutFd = -1)
    {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string key = entry.substr(0, entry.find('=') + 1);
            bool replaced = false;
            for (const auto& mine : env)
                replaced = replaced || mine.rfind(key, 0) == 0;
            if (!replaced)
                environment.push_back(entry);
        }
        environment.insert(environment.end(), env.begin(), env.end());
        std::vector<char*> envp;
        for (auto& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = ZK_BIN_ZONKARDS;
        std::vector<char*> argv{program.data()};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        const pid_t pid = ::fork();
        if (pid == 0) {
            const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0)
                ::dup2(err, 2);
            if (stdoutFd >= 0)
                ::dup2(stdoutFd, 1);
            ::execve(program.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
        return pid;
    }

    int pid() const { return pid_; }
    AutomationLink& link() { return link_; }

    // Waits for the program's hello on its automation link.
    bool connect(int timeoutMs = kAppDeadlineMs) { return link_.accept(timeoutMs) == pid_; }

    std::string command(const std::string& line)
    {
        return link_.command(line).value_or("<gone>");
    }
    QJsonObject board() { return readBoard(link_); }
    // Polls the board until the test holds; the last board read in `last`.
    bool waitForBoard(const BoardTest& test, int timeoutMs = kAppDeadlineMs,
                      QJsonObject* last = nullptr)
    {
        return waitForBoardOn(link_, test, timeoutMs, last);
    }

    // The exit code once the process has ended; -1 if it was killed or is
    // still running at the deadline.
    int wait(int timeoutMs = kAppDeadlineMs)
    {
        if (exited_)
            return code_;
        const auto deadline = AppClock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) != pid_) {
            if (millisLeft(deadline) == 0)
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
inline std::vector<std::vector<std::string>> cells(const QJsonObject& board)
{
    std::vector<std::vector<std::string>> out;
    for (const QJsonValue& column : board["cells"].toArray())
        out.push_back(texts(column));
    return out;
}

} // namespace zk::testing
