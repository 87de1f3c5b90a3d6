// What the tests that start our programs and talk to them share: deadlines,
// reading and writing a descriptor, a free port and a listener on loopback,
// and starting a program with its output where the test wants it. Waiting is
// always for a condition with a deadline, never a fixed sleep.
//
//     const auto deadline = Clock::now() + std::chrono::milliseconds(5000);
//     std::string got;
//     while (got.find("\n") == std::string::npos && msLeft(deadline) > 0)
//         readSome(fd, got, msLeft(deadline));
//     const pid_t pid = spawnProgram(ZK_BIN_ZONKARDS_HOST, {"--help"}, {}, outFd, errFd);
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zk::test {

using Clock = std::chrono::steady_clock;

// Milliseconds until the deadline; 0 once it has passed.
inline int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads what is available on fd within the time given; false when nothing
// came. eof, when given, is set at the end of the stream or on an error.
inline bool readSome(int fd, std::string& into, int timeoutMs, bool* eof = nullptr)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buf[65536];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) {
        if (eof && (n == 0 || (errno != EAGAIN && errno != EINTR)))
            *eof = true;
        return false;
    }
    into.append(buf, static_cast<std::size_t>(n));
    return true;
}

// Bytes from fd until the text appears in buffer; false at the deadline or
// the end of the stream.
inline bool readUntil(int fd, std::string& buffer, const std::string& text, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (buffer.find(text) == std::string::npos) {
        if (!readSome(fd, buffer, msLeft(deadline)))
            return false;
    }
    return true;
}

// Sends every byte; stops quietly when the peer has gone.
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
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd_, 5) == 0;
    }
    ~TcpListener()
    {
        for (int c : accepted_)
            ::close(c);
        ::close(fd_);
    }
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

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

// Starts program with args and this process's environment, the variables in
// env ("NAME=value") replacing any of the same name; its standard output,
// error and input go to the given descriptors (-1: left as they are).
// launcher: words put before the program (a command that runs the rest, e.g.
// on another machine); the first is the file executed. Everything is
// prepared before the fork, so the child only duplicates descriptors and
// execs. The pid, or -1 when the fork failed.
inline pid_t spawnProgram(const std::string& program, std::vector<std::string> args,
                          const std::vector<std::string>& env, int stdoutFd = -1, int stderrFd = -1,
                          int stdinFd = -1, std::vector<std::string> launcher = {})
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
    std::string path = launcher.empty() ? program : launcher.front();
    std::vector<char*> argv{path.data()};
    for (std::size_t i = 1; i < launcher.size(); ++i)
        argv.push_back(launcher[i].data());
    std::string programWord = program;
    if (!launcher.empty())
        argv.push_back(programWord.data());
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (stdinFd >= 0)
            ::dup2(stdinFd, 0);
        if (stdoutFd >= 0)
            ::dup2(stdoutFd, 1);
        if (stderrFd >= 0)
            ::dup2(stderrFd, 2);
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace zk::test
