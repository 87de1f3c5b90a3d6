// A running zonkards-host process and line-protocol clients that talk to it
// over real loopback TCP. Waiting is always for a condition with a generous
// deadline, never a fixed sleep. The program's path comes from the macro
// ZK_BIN_ZONKARDS_HOST (zk_test(... PROCESSES) defines it).
//
//     HostProcess host({"--port", "0", "--bot-speed", "1"});
//     ASSERT_GT(host.port(), 0);
//     LineClient a(host.port());
//     auto m = a.waitFor("CMD_sendlogininfo+");   // "CMD_sendlogininfo+1"
//     a.send("CMD_logininfo+1+1.0.2+Ann");
#pragma once

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "LoopbackKit.h"
#include "protocol/Messages.h"

namespace zk::test {

inline constexpr int kDeadlineMs = 20000;

class HostProcess {
public:
    // env: variables ("NAME=value") set for the program on top of ours.
#ifdef ZK_BIN_ZONKARDS_HOST
    explicit HostProcess(std::vector<std::string> args, std::vector<std::string> env = {})
        : HostProcess(Program{ZK_BIN_ZONKARDS_HOST}, std::move(args), std::move(env))
    {
    }
#endif
    // The program at the path given (a benchmark names the one it measures).
    struct Program {
        explicit Program(std::string p) : path(std::move(p)) {}
        std::string path;
    };
    HostProcess(const Program& program, std::vector<std::string> args, std::vector<std::string> env = {})
    {
        // No test's host asks a router for a port, unless the test says so.
        if (std::none_of(env.begin(), env.end(),
                         [](const std::string& e) { return e.rfind("ZONKARDS_PORT_MAPPING=", 0) == 0; }))
            env.push_back("ZONKARDS_PORT_MAPPING=0");
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        pid_ = spawnProgram(program.path, std::move(args), env, out[1], err[1]);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~HostProcess()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
        if (err_ >= 0)
            ::close(err_);
    }

    // The port from "listening on port N"; 0 if it did not say so in time.
    int port()
    {
        if (port_ == 0) {
            const std::string line = stdoutLine();
            const std::string prefix = "listening on port ";
            if (line.rfind(prefix, 0) == 0)
                port_ = std::stoi(line.substr(prefix.size()));
        }
        return port_;
    }
    // The first line on standard output (waits for it).
    std::string stdoutLine()
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kDeadlineMs);
        while (stdout_.find('\n') == std::string::npos && msLeft(deadline) > 0) {
            bool eof = false;
            readSome(out_, stdout_, msLeft(deadline), &eof);
            if (eof)
                break;
        }
        return stdout_.substr(0, stdout_.find('\n'));
    }
    // Waits for the process to end; its exit code, or -1 (killed, or still
    // running at the deadline), and collects its output.
    int wait(int timeoutMs = kDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (true) {
            readSome(out_, stdout_, 0);
            readSome(err_, stderr_, 0);
            const pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r == pid_)
                break;
            if (msLeft(deadline) == 0)
                return -1;
            ::usleep(2000);
        }
        exited_ = true;
        while (readSome(out_, stdout_, 50)) {
        }
        while (readSome(err_, stderr_, 50)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Waits until the process has written text to its standard error.
    bool waitForErr(const std::string& text, int timeoutMs = kDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (stderr_.find(text) == std::string::npos && msLeft(deadline) > 0)
            readSome(err_, stderr_, msLeft(deadline));
        return stderr_.find(text) != std::string::npos;
    }
    // Waits until the process has written text to its standard output.
    bool waitForOut(const std::string& text, int timeoutMs = kDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        bool eof = false;
        while (stdout_.find(text) == std::string::npos && msLeft(deadline) > 0 && !eof)
            readSome(out_, stdout_, msLeft(deadline), &eof);
        return stdout_.find(text) != std::string::npos;
    }
    void signal(int sig)
    {
        ::kill(pid_, sig);
    }
    bool running()
    {
        if (exited_)
            return false;
        return ::waitpid(pid_, nullptr, WNOHANG) == 0;
    }
    const std::string& out() const
    {
        return stdout_;
    }
    const std::string& err() const
    {
        return stderr_;
    }
    pid_t pid() const
    {
        return pid_;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int port_ = 0;
    bool exited_ = false;
    std::string stdout_;
    std::string stderr_;
};

// A table as the host sees it: a TCP connection speaking 0xFF-ended messages.
class LineClient {
public:
    // receiveBuffer > 0 shrinks the socket's receive buffer (before connecting);
    // address: the host's IPv4 address (dotted).
    explicit LineClient(int port, int receiveBuffer = 0, const std::string& address = "127.0.0.1")
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~LineClient() { close(); }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool connected() const { return connected_; }
    // Sends one message with its terminator.
    void send(const std::string& message) { sendRaw(message + '\xFF'); }
    void sendRaw(const std::string& bytes) { sendAll(fd_, bytes); }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    // The next message (without terminator), or nothing at the deadline or
    // the end of the connection.
    std::optional<std::string> next(int timeoutMs = kDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (true) {
            const auto end = buffer_.find('\xFF');
            if (end != std::string::npos) {
                std::string m = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                seen.push_back(m);
                return m;
            }
            if (eof_ || msLeft(deadline) == 0)
                return std::nullopt;
            readSome(fd_, buffer_, msLeft(deadline), &eof_);
        }
    }
    // The next message that starts with prefix; the ones before it are kept
    // in `seen` only.
    std::optional<std::string> waitFor(const std::string& prefix, int timeoutMs = kDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (auto m = next(msLeft(deadline))) {
            if (m->rfind(prefix, 0) == 0)
                return m;
        }
        return std::nullopt;
    }
    // True once the host has closed the connection (reads up to the end).
    bool waitForClose(int timeoutMs = kDeadlineMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!eof_ && msLeft(deadline) > 0) {
            if (!next(msLeft(deadline)))
                break;
        }
        return eof_;
    }
    // Answers the login request as a table does (the name carries its own
    // terminator, so the login ends with two) and waits for its own arrival.
    // The host may seat it elsewhere (a seat it held for this player) by
    // asking again; the table logs in again, as the documented table does.
    int login(const std::string& name)
    {
        auto m = waitFor("CMD_sendlogininfo+");
        while (m) {
            slot_ = std::stoi(m->substr(18));
            send(msg::text(
                msg::LoginInfo{std::to_string(slot_), std::string(kVersionText), name + kTerminator}));
            const std::string arrival = msg::text(msg::NewPlayerInfo{{slot_, ""}});
            while ((m = next()) && !m->starts_with("CMD_sendlogininfo+")) {
                if (m->starts_with(arrival))
                    return slot_;
            }
        }
        return 0;
    }
    int slot() const { return slot_; }

    std::vector<std::string> seen;

private:
    int fd_ = -1;
    bool connected_ = false;
    bool eof_ = false;
    int slot_ = 0;
    std::string buffer_;
};

} // namespace zk::test
