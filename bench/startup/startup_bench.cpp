// tessed_startup_bench [RUNS]
//
// The windows' start-up as a user meets it: from the moment the process is
// started to the project window showing the demo project's tree, the splash
// timer not counted, and the resident memory at that moment. Each run is a
// new process (this program started again with --child), so the figures hold
// process start, library loading, the catalogue's first open and the
// project's unpacking. Runs under any Qt platform (offscreen by default).
// Prints one line per run and the medians.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "edit.h"
#include "env/messages.h"
#include "ui/application.h"
#include "ui/project_window.h"

namespace fs = std::filesystem;

namespace {

long long nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

long rssKiB() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

int child(const char* project) {
    static int argc = 1;
    static char name[] = "tessed";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    tessed::Edit edit;
    tessed::ui::SetSplashDelay(0);
    edit.setFileToOpen(project);
    int status = 1;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* w = tessed::ui::CurrentProjectWindow();
        if (!w || !w->isVisible()) return;
        auto* all = w->NodeItem("COLLEZIONE$ALLSCENARI");
        if (!all || all->childCount() == 0) return;
        poll.stop();
        std::printf("%lld %ld\n", nowNs(), rssKiB());
        std::fflush(stdout);
        status = 0;
        w->Session().SetChanged(false);
        edit.EndAPP();
    });
    poll.start();
    edit.Show();
    tessed::ui::WaitForEnd();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") return child(argv[2]);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    char tmpl[] = "/tmp/tessed-startup.XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const fs::path dir = tmpl;
    ::setenv("TESSED_DATA_DIR", (dir / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (dir / "docs").c_str(), 1);
    ::setenv("TESSED_SHARE_DIR", TESSED_BENCH_SHARE, 1);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path project = dir / "demo.tdj";
    fs::copy_file(TESSED_BENCH_DEMO, project);
    std::vector<double> ms;
    std::vector<long> rss;
    // The first run seeds the data folder from the catalogue, as a first
    // start after installing does; it is reported but not in the medians.
    for (int i = 0; i <= runs; ++i) {
        int pipefd[2];
        if (pipe(pipefd) != 0) return 1;
        const long long start = nowNs();
        pid_t pid = fork();
        if (pid == 0) {
            dup2(pipefd[1], 1);
            close(pipefd[0]);
            execl("/proc/self/exe", argv[0], "--child", project.c_str(), (char*)nullptr);
            _exit(127);
        }
        close(pipefd[1]);
        char buf[128] = {};
        ssize_t n = read(pipefd[0], buf, sizeof buf - 1);
        close(pipefd[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        long long shown = 0;
        long kib = 0;
        if (n <= 0 || std::sscanf(buf, "%lld %ld", &shown, &kib) != 2) {
            std::cerr << "tessed_startup_bench: run " << i << " showed no window\n";
            return 1;
        }
        const double t = double(shown - start) / 1e6;
        std::printf("run %2d%s: %7.1f ms to the project window, %6.1f MB resident\n", i,
                    i == 0 ? " (first start)" : "", t, double(kib) / 1024.0);
        if (i > 0) {
            ms.push_back(t);
            rss.push_back(kib);
        }
    }
    std::sort(ms.begin(), ms.end());
    std::sort(rss.begin(), rss.end());
    std::printf("median of %d runs: %.1f ms to the project window, %.1f MB resident\n", runs,
                ms[ms.size() / 2], double(rss[rss.size() / 2]) / 1024.0);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
