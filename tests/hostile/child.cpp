#include "child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>

namespace tessed::hostile {

namespace {

using Clock = std::chrono::steady_clock;

void drain(int& fd, std::string& into) {
    char buf[65536];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
        into.append(buf, size_t(n));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const Limits& limits) {
    ChildResult r;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return r;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return r;
    }
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const auto start = Clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        rlimit fsize{limits.maxFileBytes, limits.maxFileBytes};
        ::setrlimit(RLIMIT_FSIZE, &fsize);
        ::signal(SIGXFSZ, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return r;
    }
    ::setpgid(pid, pid);
    r.started = true;
    int fds[2] = {out[0], err[0]};
    int status = 0;
    bool exited = false;
    rusage ru{};
    auto lastSample = Clock::time_point{};
    while (true) {
        const auto now = Clock::now();
        if (!limits.watched.empty() && now - lastSample > std::chrono::milliseconds(100)) {
            r.peakDiskBytes = std::max(r.peakDiskBytes, DiskUse(limits.watched));
            lastSample = now;
        }
        if (!exited && ::wait4(pid, &status, WNOHANG, &ru) == pid) exited = true;
        if (exited && fds[0] < 0 && fds[1] < 0) break;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
        if (elapsed > limits.timeoutMs) {
            // Past the deadline: the whole group goes, helpers included.
            ::kill(-pid, SIGKILL);
            if (!exited) {
                ::wait4(pid, &status, 0, &ru);
                r.timedOut = true;
            }
            exited = true;
            for (int& fd : fds)
                if (fd >= 0) {
                    ::close(fd);
                    fd = -1;
                }
            break;
        }
        pollfd p[2];
        nfds_t n = 0;
        for (int fd : fds)
            if (fd >= 0) p[n++] = pollfd{fd, POLLIN, 0};
        if (n == 0) {
            ::usleep(5000);
            continue;
        }
        if (::poll(p, n, 20) > 0) {
            for (nfds_t i = 0; i < n; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                int& fd = p[i].fd == fds[0] ? fds[0] : fds[1];
                drain(fd, &fd == &fds[0] ? r.out : r.err);
            }
        }
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.maxRssKb = ru.ru_maxrss;
    if (!r.timedOut) {
        if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    }
    if (!limits.watched.empty())
        r.peakDiskBytes = std::max(r.peakDiskBytes, DiskUse(limits.watched));
    return r;
}

Snapshot Take(const fs::path& folder) {
    Snapshot s;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const fs::path& p = it->path();
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) continue;
        Fingerprint f;
        f.mode = st.st_mode & 07777;
        f.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        if (S_ISREG(st.st_mode)) {
            f.type = 'f';
            f.size = uint64_t(st.st_size);
            std::ifstream in(p, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            f.hash = std::hash<std::string>{}(bytes);
        } else if (S_ISDIR(st.st_mode)) {
            f.type = 'd';
            f.mtimeNs = 0;  // a folder's time changes with every file made and removed in it
        } else if (S_ISLNK(st.st_mode)) {
            f.type = 'l';
            f.link = fs::read_symlink(p, ec).string();
        } else {
            f.type = 'o';
        }
        s[p.lexically_relative(folder).string()] = f;
    }
    return s;
}

uint64_t DiskUse(const fs::path& folder) {
    uint64_t total = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += uint64_t(st.st_blocks) * 512;
    }
    return total;
}

}  // namespace tessed::hostile
