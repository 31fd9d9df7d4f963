// Opening the element dialogs with their data, as the editor does after a drop
// or a double-click: the model loaded from the catalogue, the window built,
// shown and given the one turn of the event loop that enables its buttons.
// Under the offscreen platform unless another one is chosen.
#ifdef TESSED_BENCH_UI
#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench_app.h"
#include "bench_env.h"
#include "editor/property_dialog.h"
#include "editor/selection_dialogs.h"
#include "editor/time_dialogs.h"
#include "env/environment.h"
#include "ui/choice_dialogs.h"
#include "ui/property_dialog.h"
#include "ui/time_dialog.h"

using namespace tessed;

namespace {

// Objects and areas with the most to show: the light with its levels and
// interfaces, the shutter's three long position lists, the two delays.
void BM_OpenPropertyDialog(benchmark::State& state) {
    bench::BenchEnv env;
    bench::EnsureApplication();
    auto& db = env::Env().master();
    const auto obj = static_cast<int32_t>(state.range(0));
    const auto area = static_cast<int32_t>(state.range(1));
    for (auto _ : state) {
        editor::PropertyDialog d(&db);
        d.Form_Load();
        d.LoadData(obj, area);
        d.Visible = true;
        ui::PropertyDialogWindow w(d);
        w.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(d.buttonsEnabled);
    }
}
BENCHMARK(BM_OpenPropertyDialog)
    ->Args({1, 5})
    ->Args({51, 5})
    ->Args({45, 5})
    ->Unit(benchmark::kMillisecond);

void BM_OpenTimeRangeDialog(benchmark::State& state) {
    bench::BenchEnv env;
    bench::EnsureApplication();
    auto& db = env::Env().master();
    const editor::Moment now{2025, 6, 15, 10, 45};
    for (auto _ : state) {
        editor::TimeRangeDialog d(now);
        d.LoadData(db, 23, 4, "ORAFROM=0730|ORATO=1800|SETT=1F|DATAFROM=05**20**|DATATO=20**20**|");
        ui::TimeRangeWindow w(d, db);
        w.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_OpenTimeRangeDialog)->Unit(benchmark::kMillisecond);

void BM_OpenOperatorDialog(benchmark::State& state) {
    bench::BenchEnv env;
    bench::EnsureApplication();
    for (auto _ : state) {
        editor::OperatorDialog d;
        d.Preselect(2);
        ui::OperatorWindow w(d);
        w.placeBeside(QRect(100, 100, 24, 24));
        w.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_OpenOperatorDialog)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
