// Loading and saving whole workspaces headless, at 1,000, 10,000 and 100,000 tasks. Times
// per run and per task show whether the cost grows linearly; "bytes/task" is the file size and
// "heap/task" the memory a loaded workspace holds (glibc's count of bytes in use).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "model/headless.h"
#include "platform/files.h"
#include "workspace/workspace_file.h"

namespace {

using namespace qv;

std::u16string BenchFile(std::int64_t tasks) {
  return TempFolder() + u"\\quorvane-workspace-bench-" +
         FormatInt(static_cast<std::int32_t>(tasks)) + u".xml";
}

// Tasks spread over a task list and a log, with names, remarks and times as a user keeps them.
void BuildWorkspace(Workspace& ws, std::int64_t tasks) {
  CGenWindow& list = *AddListWindow(ws, 2, u"Hot Tasks")->window;
  CGenWindow& log = *AddListWindow(ws, 4, u"My logger")->window;
  AddLogLink(list, u"My logger");
  for (std::int64_t i = 0; i < tasks; ++i) {
    TaskInfo task;
    task.name = u"Task number " + FormatInt(static_cast<std::int32_t>(i));
    task.remarks = u"Remarks & details for the task, one line of ordinary length";
    task.startTime = {2027, 1, 0, static_cast<std::uint16_t>(1 + i % 28), 9, 30, 0, 0};
    task.deadline = {2027, 2, 0, static_cast<std::uint16_t>(1 + i % 28), 17, 0, 0, 0};
    task.priority = static_cast<std::uint32_t>(i % 101);
    AppendTaskCopy(i % 4 == 0 ? log : list, task);
  }
}

void BM_SaveWorkspace(benchmark::State& state) {
  HeadlessHost host;
  Workspace ws(host);
  BuildWorkspace(ws, state.range(0));
  const std::u16string path = BenchFile(state.range(0));
  for (auto _ : state) {
    if (SaveWorkspace(ws, path) != XmlError::NoError) state.SkipWithError("save failed");
  }
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  state.counters["bytes/task"] = static_cast<double>(bytes.size()) / state.range(0);
  state.counters["per task"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_LoadWorkspace(benchmark::State& state) {
  const std::u16string path = BenchFile(state.range(0));
  {
    HeadlessHost host;
    Workspace ws(host);
    BuildWorkspace(ws, state.range(0));
    SaveWorkspace(ws, path);
  }
  for (auto _ : state) {
    HeadlessHost host;
    Workspace ws(host);
    if (!LoadWorkspace(ws, path)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(ws.ListWindows.data());
  }
  {
    const std::size_t before = mallinfo2().uordblks;
    HeadlessHost host;
    Workspace ws(host);
    LoadWorkspace(ws, path);
    state.counters["heap/task"] =
        static_cast<double>(mallinfo2().uordblks - before) / state.range(0);
  }
  state.counters["per task"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  DeleteFileW(path);
}

BENCHMARK(BM_SaveWorkspace)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWorkspace)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
