// Reports of a 1,000-task log list in each format, written to the temp folder and not opened.
#include <benchmark/benchmark.h>

#include "model/headless.h"
#include "model/workspace_model.h"
#include "platform/files.h"
#include "reports/pdf_report.h"
#include "reports/text_reports.h"

namespace {

constexpr int kTasks = 1000;

struct BenchList {
  BenchList() : ws(host) {
    list = AddListWindow(ws, static_cast<std::uint32_t>(qv::ListType::Log), u"Report bench")
               ->window.get();
    for (int i = 0; i < kTasks; ++i) {
      qv::TaskInfo task = qv::TaskInfo::Zero();
      task.name = u"Task number " + qv::FormatInt(i) + u" with a name of ordinary length";
      task.remarks = u"First line of the remarks\r\nSecond line, a little longer than the first";
      task.state = static_cast<std::uint32_t>(i % 3);
      task.priority = static_cast<std::uint32_t>(i % 101);
      task.startTime = {2024, 3, 0, 5, 14, 7, 9, 0};
      task.deadline = {2024, 12, 0, 31, 8, 0, 0, 0};
      task.closedTime = {2025, 1, 0, 2, 23, 59, 5, 0};
      AppendTaskCopy(*list, task);
    }
  }
  qv::HeadlessHost host;
  qv::Workspace ws;
  qv::CGenWindow* list;
};

template <typename Export>
void Run(benchmark::State& state, Export exportReport) {
  const BenchList bench;
  for (auto _ : state) {
    if (exportReport(*bench.list, qv::TempFolder()) != 0) state.SkipWithError("export failed");
  }
  state.SetItemsProcessed(state.iterations() * kTasks);
}

void BM_ExportHtml(benchmark::State& state) {
  Run(state, [](const qv::CGenWindow& l, const std::u16string& f) {
    return qv::ExportHtml(l, f, qv::AfterExport::LeaveClosed);
  });
}
void BM_ExportText(benchmark::State& state) {
  Run(state, [](const qv::CGenWindow& l, const std::u16string& f) {
    return qv::ExportText(l, f, qv::AfterExport::LeaveClosed);
  });
}
void BM_ExportPdf(benchmark::State& state) {
  Run(state, [](const qv::CGenWindow& l, const std::u16string& f) {
    return static_cast<std::uint32_t>(qv::ExportPdf(l, f, qv::AfterExport::LeaveClosed));
  });
}

BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPdf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
