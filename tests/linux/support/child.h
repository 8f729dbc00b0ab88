// A process of the tests: started with its standard input and output on pipes, over this
// process's environment with some variables changed, and stopped by its id.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace velk::test {

class Child {
  public:
    // argv run with extra "NAME=value" entries over this process's environment.
    explicit Child(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}) {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> vars = env;
        for (char** e = environ; *e; ++e) {
            const std::string var(*e);
            bool overridden = false;
            for (const std::string& v : env)
                overridden =
                    overridden || v.substr(0, v.find('=') + 1) == var.substr(0, var.find('=') + 1);
            if (!overridden)
                vars.push_back(var);
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            std::vector<char*> args, envp;
            for (const auto& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            for (const auto& v : vars)
                envp.push_back(const_cast<char*>(v.c_str()));
            args.push_back(nullptr);
            envp.push_back(nullptr);
            execvpe(args[0], args.data(), envp.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }
    ~Child() { Stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool Started() const { return pid_ > 0; }
    // Ends it by its id: TERM, then KILL when it has not ended within 2 s.
    void Stop() {
        close(toChild_);
        close(fromChild_);
        toChild_ = fromChild_ = -1;
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            usleep(20000);
        if (waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    // Waits for the child to end; its exit code, -1 when a signal ended it or it never ran.
    int Wait() {
        if (pid_ <= 0)
            return -1;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Write(const std::string& line) {
        const std::string text = line + "\n";
        (void)!write(toChild_, text.data(), text.size());
    }
    // One line of the child's output; empty when none comes within the time.
    std::string ReadLine(int timeoutMs = 10000) {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        char c;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fromChild_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            if (read(fromChild_, &c, 1) != 1)
                break;
            if (c == '\n')
                return line;
            line += c;
        }
        return {};
    }
    // Writes a command and returns its answer.
    std::string Ask(const std::string& line) {
        Write(line);
        return ReadLine();
    }

  private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

}  // namespace velk::test
