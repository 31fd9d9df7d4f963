#pragma once
// The one Qt application of the window benchmarks, made on first use under
// the offscreen platform unless another one is chosen.
#ifdef TESSED_BENCH_UI
#include <QApplication>

namespace tessed::bench {

// The application lives until the process ends and is never destroyed: a
// destructor run among the static destructors at exit comes after Qt's own
// and crashes the program, which then reports failure after every result.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "tessed_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = nullptr;
    if (app) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(argc, argv);
}

}  // namespace tessed::bench
#endif
