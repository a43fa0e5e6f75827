// The Win32 program at scale, in this process under Wine: the frame made and started on a
// workspace of 1,000, 10,000 and 100,000 tasks spread over two task lists and two log lists, all
// four visible side by side. For each size: the start until the frame is shown and until its
// messages run dry (laid out and painted), one refresh, one page of scrolling and one wheel notch
// in each list with their repaint, the save at exit and the whole exit, the memory the start adds
// and the process's peak, and the windows and GDI objects the program holds. Loading the same
// file headless in the same process is the peer for time and memory: absolute figures on a
// shared machine are noise, so the ratios, and the growth from the smallest size to the largest,
// are the figures to read. The goals for 100,000 tasks are printed beside them.
//
// tools/bench_win.sh runs it, and uses its helper commands to watch a running Quorvane.exe:
//   startup_bench_win [--reps N] [--tasks N]...
//                                              the scale tables (default 3 runs of each of
//                                              1,000, 10,000 and 100,000 tasks)
//   startup_bench_win --write-workspace N overdue|future
//                                              that workspace of N tasks, written to the
//                                              documents folder's workspace file, whose path
//                                              it prints
//   startup_bench_win --messages N overdue|future SECONDS
//                                              the frame run in process on N tasks, with the
//                                              messages it handles per second and its CPU
//   startup_bench_win --wait-frame SECONDS     waits for Quorvane.exe's frame to be shown
//   startup_bench_win --exit-frame             asks Quorvane.exe to exit, as its menu does
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/headless.h"
#include "platform/files.h"
#include "resources/resource.h"
#include "shell/app.h"
#include "windows/win32/convert.h"
#include "windows/win32/owners.h"
#include "workspace/storage.h"
#include "workspace/workspace_file.h"

namespace qv::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTaskCounts[] = {1000, 10000, 100000};
constexpr int kDefaultReps = 3;
// Within one run: the refresh is short, so its median is taken over several; each list is
// scrolled a few pages and notches down, which stays far from the end of any list measured.
constexpr int kRefreshRepeats = 5;
constexpr int kScrollSteps = 3;
// Messages have stopped once none came for this long; the frame's once-a-second refresh is
// not start-up work, so its ticks do not count as messages here.
constexpr DWORD kQuietMs = 150;

// What the program must reach with 100,000 tasks on a 2-core machine under Wine.
constexpr int kGoalTasks = 100000;
constexpr double kGoalStartMs = 2000;
constexpr double kGoalRefreshMs = 20;
constexpr double kGoalSaveMs = 1000;
constexpr int kGoalWindows = 500;
constexpr double kGoalMemoryRatio = 3;

struct ListPlan {
  ListType type;
  const char16_t* title;
};
// Tasks are dealt out in turn: the open ones to the two task lists, the solved ones to the two
// logs, a quarter each.
constexpr ListPlan kLists[] = {{ListType::Custom, u"Hot Tasks"},
                               {ListType::Task, u"Projects"},
                               {ListType::Log, u"My logger"},
                               {ListType::Log, u"Work logger"}};
constexpr int kListCount = static_cast<int>(std::size(kLists));
constexpr int kTaskListCount = 2;

// Placement written into the workspace: the frame fills the 1280 x 800 virtual screen and the
// lists stand side by side in its client area, each as tall as it allows, about twenty rows.
constexpr WindowRect kFrameRect{0, 0, 1280, 800};
constexpr int kListLeft = 4;
constexpr int kListTop = 4;
constexpr int kListWidth = 316;
constexpr int kListHeight = 724;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

template <typename Work>
double TimedMs(Work&& work) {
  const Clock::time_point begin = Clock::now();
  work();
  return Ms(Clock::now() - begin);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// How many of `tasks` tasks dealt out in turn land in the list at `index`.
std::size_t TasksOfList(int tasks, int index) {
  return static_cast<std::size_t>((tasks + kListCount - 1 - index) / kListCount);
}

// Tasks as a user keeps them: names, remarks, start and deadline; overdue ones have deadlines
// long past, the others far ahead, so that no run sees a task fall due. A solved task was
// closed before either.
TaskInfo MakeTask(int i, bool solved, bool overdue) {
  const auto day = static_cast<std::uint16_t>(1 + i % 28);
  TaskInfo task;
  task.name = u"Task number " + FormatInt(i);
  task.remarks = u"Remarks & details for the task, one line of ordinary length";
  task.startTime = {2019, 1, 0, day, 9, 30, 0, 0};
  task.deadline = {static_cast<std::uint16_t>(overdue ? 2020 : 2090), 2, 0, day, 17, 0, 0, 0};
  task.priority = static_cast<std::uint32_t>(i % 101);
  task.difficulty = static_cast<std::uint32_t>(i % 11);
  if (solved) {
    task.state = static_cast<std::uint32_t>(TaskState::Solved);
    task.closedTime = {2019, 6, 0, day, 12, 15, 0, 0};
  }
  return task;
}

void BuildWorkspace(Workspace& ws, HeadlessHost& host, int tasks, bool overdue) {
  host.frame = kFrameRect;
  std::vector<CGenWindow*> lists;
  for (int k = 0; k < kListCount; ++k) {
    CGenWindow& list =
        *AddListWindow(ws, static_cast<std::uint32_t>(kLists[k].type), kLists[k].title)->window;
    list.visible = 1;
    static_cast<HeadlessListView&>(list.view())
        .SetRect({kListLeft + k * kListWidth, kListTop, kListWidth, kListHeight});
    lists.push_back(&list);
  }
  AddLogLink(*lists[0], kLists[2].title);
  AddLogLink(*lists[0], kLists[3].title);
  AddLogLink(*lists[1], kLists[3].title);
  for (int i = 0; i < tasks; ++i) {
    const int k = i % kListCount;
    AppendTaskCopy(*lists[k], MakeTask(i, k >= kTaskListCount, overdue));
  }
}

bool WriteWorkspace(const std::u16string& path, int tasks, bool overdue) {
  HeadlessHost host;
  Workspace ws(host);
  BuildWorkspace(ws, host, tasks, overdue);
  return SaveWorkspace(ws, path) == XmlError::NoError;
}

std::vector<CGenWindow*> Lists(const Workspace& ws) {
  std::vector<CGenWindow*> lists;
  for (const auto& entry : ws.ListWindows) {
    if (entry->window) lists.push_back(entry->window.get());
  }
  return lists;
}

// As the program does it before its frame exists.
void InitCommonControlsOnce() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&icc);
}

// Wine's and Windows' internal timers (the caret, mouse tracking); not in the SDK headers.
constexpr UINT kSysTimerMessage = 0x0118;

bool IsTimerMessage(UINT message) {
  return message == WM_TIMER || message == kSysTimerMessage;
}

// Dispatches until no message but a timer's has come for kQuietMs; returns when the last
// message that counts was handled. Timers tick all the time and are not start-up work.
Clock::time_point PumpUntilQuiet() {
  Clock::time_point last = Clock::now();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (!IsTimerMessage(msg.message)) last = Clock::now();
    }
    const double quietFor = Ms(Clock::now() - last);
    if (quietFor >= kQuietMs) return last;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(kQuietMs - quietFor) + 1,
                              QS_ALLINPUT);
  }
}

// Paints what is waiting to be painted, in the window and every descendant, before returning:
// what UpdateWindow does, the children included.
void PaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// A button under the pointer tracks it with a timer of its own; the pointer is kept in the
// screen's corner, away from every window of the program, as when nobody touches it.
void ParkPointer() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int ChildWindows(HWND window) {
  int count = 0;
  EnumChildWindows(window, CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

int ThreadTopLevelWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// What the program holds at one moment, less what is counted in `before`.
struct Held {
  int liveWindows = 0;  // the owners' count
  int topLevelWindows = 0;
  int gdi = 0;
  int user = 0;
};

Held HeldNow() {
  return {win32::LiveCount(win32::LiveKind::Window), ThreadTopLevelWindows(),
          win32::LiveCount(win32::LiveKind::Gdi), win32::LiveCount(win32::LiveKind::User)};
}

Held operator-(const Held& a, const Held& b) {
  return {a.liveWindows - b.liveWindows, a.topLevelWindows - b.topLevelWindows, a.gdi - b.gdi,
          a.user - b.user};
}

// Every window of the running program: the frame's descendants and the thread's top-level
// windows (the frame, and the tooltips, which are popups), with what the owners count.
struct Census {
  int windows = 0;
  int rowWindows = 0;  // the descendants of the lists' panes: the rows' controls
  Held held;
};

Census TakeCensus(FrameWindow& frame, const Held& before) {
  Census census;
  census.held = HeldNow() - before;
  census.windows = ChildWindows(frame.hwnd()) + census.held.topLevelWindows;
  for (CGenWindow* list : Lists(frame.workspace())) {
    census.rowWindows += ChildWindows(Win32View(*list).pane());
  }
  return census;
}

// The process's private memory and its peak working set, in MB. Windows gives the private
// memory as both PagefileUsage and PrivateUsage; Wine fills only the first, from /proc (the
// resident anonymous memory), and takes the peak from VmHWM. The peak is the whole process's.
struct Memory {
  double privateMb = 0;
  double peakMb = 0;
};

Memory MemoryNow() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  constexpr double kMb = 1024.0 * 1024.0;
  return {static_cast<double>(counters.PagefileUsage) / kMb,
          static_cast<double>(counters.PeakWorkingSetSize) / kMb};
}

void ClearFolder(const std::u16string& folder) {
  std::vector<FolderEntry> entries;
  if (ListFolder(folder, entries) != kErrorSuccess) return;
  for (const FolderEntry& entry : entries) {
    if (!entry.isFolder) DeleteFileW(folder + u"\\" + entry.name);
  }
}

// The peer: the same file loaded headless, as quorvane-cli loads it, with the private memory
// the loaded workspace holds.
struct LoadSample {
  bool loaded = false;
  double ms = 0;
  double addedMb = 0;
};

LoadSample HeadlessLoad(const std::u16string& path) {
  LoadSample sample;
  const double before = MemoryNow().privateMb;
  HeadlessHost host;
  Workspace ws(host);
  sample.ms = TimedMs([&] { sample.loaded = LoadWorkspace(ws, path); });
  sample.addedMb = MemoryNow().privateMb - before;
  return sample;
}

// The frame shown, with each list visible and holding the tasks it was written with.
bool ShownAsWritten(FrameWindow& frame, int tasks) {
  if (!IsWindowVisible(frame.hwnd())) return false;
  const std::vector<CGenWindow*> lists = Lists(frame.workspace());
  if (static_cast<int>(lists.size()) != kListCount) return false;
  for (int k = 0; k < kListCount; ++k) {
    if (lists[k]->tasks.size() != TasksOfList(tasks, k)) return false;
    if (!IsWindowVisible(Win32View(*lists[k]).hwnd())) return false;
  }
  return true;
}

constexpr UINT_PTR kShowWatchId = 1;

// Notes when the frame is first told to show; StartWorkspace does that once the workspace is
// loaded.
LRESULT CALLBACK WatchShow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR shownAt) {
  auto& at = *reinterpret_cast<Clock::time_point*>(shownAt);
  if (msg == WM_SHOWWINDOW && wParam && at == Clock::time_point{}) at = Clock::now();
  return DefSubclassProc(window, msg, wParam, lParam);
}

struct StartSample {
  double shownMs = 0;  // the frame was told to show: the workspace loaded
  double quietMs = 0;  // every message of the start handled: laid out and painted
};

// The program's start on the prepared documents folder, as RunApplication makes it.
std::unique_ptr<FrameWindow> StartFrame(HINSTANCE instance, const StoragePaths& paths,
                                        StartSample& sample) {
  Clock::time_point shownAt{};
  const Clock::time_point begin = Clock::now();
  auto frame = std::make_unique<FrameWindow>(instance);
  if (!frame->Create(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)))) return nullptr;
  SetWindowSubclass(frame->hwnd(), WatchShow, kShowWatchId, reinterpret_cast<DWORD_PTR>(&shownAt));
  StartWorkspace(*frame, paths);
  const Clock::time_point quiet = PumpUntilQuiet();
  RemoveWindowSubclass(frame->hwnd(), WatchShow, kShowWatchId);
  sample.shownMs = Ms(shownAt - begin);
  sample.quietMs = Ms(quiet - begin);
  return frame;
}

// The frame's once-a-second work, with the repaint it causes; the median of several.
double RefreshMs(FrameWindow& frame) {
  std::vector<double> times;
  for (int i = 0; i < kRefreshRepeats; ++i) {
    times.push_back(TimedMs([&] {
      frame.RefreshTaskWindows();
      PaintNow(frame.hwnd());
    }));
  }
  return Median(times);
}

struct ScrollSample {
  double pageMs = 0;
  double wheelMs = 0;
};

// A page down by the scroll bar and a notch of the wheel towards the end, in turn, a few of
// each in every list, each with its repaint; the medians.
ScrollSample ScrollMs(FrameWindow& frame) {
  std::vector<double> pages, wheels;
  for (CGenWindow* list : Lists(frame.workspace())) {
    const ListWindow& view = Win32View(*list);
    RECT rect{};
    GetWindowRect(view.hwnd(), &rect);
    const LPARAM pointer = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    for (int step = 0; step < kScrollSteps; ++step) {
      pages.push_back(TimedMs([&] {
        SendMessageW(view.hwnd(), WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0),
                     reinterpret_cast<LPARAM>(view.scrollBar()));
        PaintNow(view.hwnd());
      }));
      wheels.push_back(TimedMs([&] {
        SendMessageW(view.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), pointer);
        PaintNow(view.hwnd());
      }));
    }
  }
  return {Median(pages), Median(wheels)};
}

struct RunSample {
  bool succeeded = false;  // every list shown as written, and the save done
  StartSample start;
  double refreshMs = 0;
  ScrollSample scroll;
  double saveMs = 0;   // the workspace file written, as the exit writes it
  double exitMs = 0;   // the frame destroyed (the save at exit included) and deleted
  double startMb = 0;  // private memory the start added, once quiet
  Census census;       // the most windows held, once quiet or after the scrolling
};

// One life of the program's frame on the prepared documents folder: its start, one refresh,
// the scrolling, the save and the exit.
RunSample RunOnce(HINSTANCE instance, const StoragePaths& paths, int tasks, const Held& before) {
  RunSample sample;
  const double privateBefore = MemoryNow().privateMb;
  std::unique_ptr<FrameWindow> frame = StartFrame(instance, paths, sample.start);
  if (!frame) return sample;
  sample.startMb = MemoryNow().privateMb - privateBefore;
  const bool asWritten = ShownAsWritten(*frame, tasks);
  const Census quiet = TakeCensus(*frame, before);
  sample.refreshMs = RefreshMs(*frame);
  sample.scroll = ScrollMs(*frame);
  PumpUntilQuiet();
  const Census scrolled = TakeCensus(*frame, before);
  sample.census = scrolled.windows > quiet.windows ? scrolled : quiet;
  XmlError saved = XmlError::NoError;
  sample.saveMs = TimedMs([&] { saved = SaveWorkspace(frame->workspace(), paths.workspaceFile); });
  sample.succeeded = asWritten && saved == XmlError::NoError;
  sample.exitMs = TimedMs([&] {
    DestroyWindow(frame->hwnd());
    frame.reset();
  });
  PumpUntilQuiet();
  return sample;
}

struct SizeResult {
  int tasks = 0;
  double loadMs = 0;
  double loadMb = 0;
  double shownMs = 0;
  double quietMs = 0;
  double refreshMs = 0;
  double pageMs = 0;
  double wheelMs = 0;
  double saveMs = 0;
  double exitMs = 0;
  double startMb = 0;
  double peakMb = 0;  // the process's peak working set once this size had run
  Census census;
};

// The median of one figure over a size's runs.
template <typename Figure>
double MedianOf(const std::vector<RunSample>& runs, Figure figure) {
  std::vector<double> values;
  for (const RunSample& run : runs) values.push_back(figure(run));
  return Median(values);
}

SizeResult Summarise(int tasks, const std::vector<LoadSample>& loads,
                     const std::vector<RunSample>& runs) {
  SizeResult r;
  r.tasks = tasks;
  std::vector<double> loadMs, loadMb;
  for (const LoadSample& load : loads) {
    loadMs.push_back(load.ms);
    loadMb.push_back(load.addedMb);
  }
  r.loadMs = Median(loadMs);
  r.loadMb = Median(loadMb);
  r.shownMs = MedianOf(runs, [](const RunSample& s) { return s.start.shownMs; });
  r.quietMs = MedianOf(runs, [](const RunSample& s) { return s.start.quietMs; });
  r.refreshMs = MedianOf(runs, [](const RunSample& s) { return s.refreshMs; });
  r.pageMs = MedianOf(runs, [](const RunSample& s) { return s.scroll.pageMs; });
  r.wheelMs = MedianOf(runs, [](const RunSample& s) { return s.scroll.wheelMs; });
  r.saveMs = MedianOf(runs, [](const RunSample& s) { return s.saveMs; });
  r.exitMs = MedianOf(runs, [](const RunSample& s) { return s.exitMs; });
  r.startMb = MedianOf(runs, [](const RunSample& s) { return s.startMb; });
  r.peakMb = MemoryNow().peakMb;
  for (const RunSample& run : runs) {
    if (run.census.windows > r.census.windows) r.census = run.census;
  }
  return r;
}

void PrintTimes(const std::vector<SizeResult>& results) {
  std::printf("%7s | %7s %7s %7s | %7s %6s %6s | %7s %7s | %10s %9s\n", "tasks", "load", "shown",
              "quiet", "refresh", "page", "wheel", "save", "exit", "quiet/load", "save/load");
  for (const SizeResult& r : results) {
    std::printf("%7d | %7.1f %7.0f %7.0f | %7.2f %6.2f %6.2f | %7.1f %7.0f | %10.1f %9.2f\n",
                r.tasks, r.loadMs, r.shownMs, r.quietMs, r.refreshMs, r.pageMs, r.wheelMs, r.saveMs,
                r.exitMs, r.quietMs / r.loadMs, r.saveMs / r.loadMs);
  }
}

void PrintHoldings(const std::vector<SizeResult>& results) {
  std::printf("%7s | %7s %8s %7s | %10s | %7s %7s %9s %6s %6s %5s\n", "tasks", "load MB",
              "start MB", "peak MB", "start/load", "windows", "in rows", "top-level", "owned",
              "GDI", "USER");
  for (const SizeResult& r : results) {
    const Census& c = r.census;
    std::printf("%7d | %7.1f %8.1f %7.1f | %10.2f | %7d %7d %9d %6d %6d %5d\n", r.tasks, r.loadMb,
                r.startMb, r.peakMb, r.startMb / r.loadMb, c.windows, c.rowWindows,
                c.held.topLevelWindows, c.held.liveWindows, c.held.gdi, c.held.user);
  }
}

struct Goal {
  const char* figure;
  bool atMost;  // the bound itself meets the goal
  double bound;
  double (*of)(const SizeResult&);
};

constexpr Goal kGoals[] = {
    {"start until quiet, ms", false, kGoalStartMs, [](const SizeResult& r) { return r.quietMs; }},
    {"refresh, ms", false, kGoalRefreshMs, [](const SizeResult& r) { return r.refreshMs; }},
    {"save, ms", false, kGoalSaveMs, [](const SizeResult& r) { return r.saveMs; }},
    {"windows", true, kGoalWindows,
     [](const SizeResult& r) { return static_cast<double>(r.census.windows); }},
    {"memory, start/load", true, kGoalMemoryRatio,
     [](const SizeResult& r) { return r.startMb / r.loadMb; }},
};

std::string TasksLabel(int tasks) {
  return std::to_string(tasks) + " tasks";
}

// The goals beside the smallest and the largest size run, so that the growth shows; they are
// judged at the largest.
void PrintGoals(const SizeResult& small, const SizeResult& large) {
  std::printf("%-22s %9s %14s %14s %8s   %s\n", "goal", "", TasksLabel(small.tasks).c_str(),
              TasksLabel(large.tasks).c_str(), "growth", "at the largest");
  for (const Goal& goal : kGoals) {
    const double a = goal.of(small);
    const double b = goal.of(large);
    const bool met = goal.atMost ? b <= goal.bound : b < goal.bound;
    std::printf("%-22s %2s %6.0f %14.2f %14.2f %7.1fx   %s\n", goal.figure,
                goal.atMost ? "<=" : "<", goal.bound, a, b, b / a, met ? "met" : "NOT met");
  }
  std::printf("%-22s %9s %14d %14d %7.1fx\n", "tasks", "", small.tasks, large.tasks,
              static_cast<double>(large.tasks) / small.tasks);
  if (large.tasks != kGoalTasks) {
    std::printf("The goals are set for %d tasks; the largest size run here is %d.\n", kGoalTasks,
                large.tasks);
  }
}

void PrintTables(int reps, const std::vector<SizeResult>& results, const Held& after) {
  std::printf(
      "The frame in process on tasks over four visible lists: median of %d runs per size, "
      "after one warm-up.\n"
      "  load      peer: LoadWorkspace of the same file, headless, same process\n"
      "  shown     from making the frame to its being shown (the workspace loaded)\n"
      "  quiet     to the last start-up message handled (laid out and painted)\n"
      "  refresh   one RefreshTaskWindows, as the frame's timer runs it, and its repaint "
      "(median of %d)\n"
      "  page      one SB_PAGEDOWN in a list, and its repaint (median over the lists, %d each)\n"
      "  wheel     one wheel notch down in a list, and its repaint (likewise)\n"
      "  save      SaveWorkspace of the frame's workspace to its file, as the exit saves it\n"
      "  exit      DestroyWindow of the frame, the save at exit included, and its deletion\n\n",
      reps, kRefreshRepeats, kScrollSteps);
  std::printf("Times, ms\n");
  PrintTimes(results);
  std::printf(
      "\nMemory, and what the program holds (the most of any run, once quiet or after the "
      "scrolling)\n"
      "  load MB   private memory the headless load adds; start MB: the frame's start adds, "
      "once quiet\n"
      "  peak MB   the process's peak working set once the size had run (sizes run smallest "
      "first)\n"
      "  windows   EnumChildWindows of the frame and the thread's top-level windows; in rows: "
      "the lists' panes' descendants\n"
      "  owned     windows, GDI and USER objects: the toolkit's owners' counts (LiveCount)\n\n");
  PrintHoldings(results);
  std::printf("\n");
  PrintGoals(results.front(), results.back());
  std::printf("\nAfter the last frame ended: %d windows and %d GDI objects still held.\n",
              after.liveWindows, after.gdi);
}

// A documents folder of this program's own in the temporary folder, while it lives.
class ScratchDocuments {
 public:
  ScratchDocuments() : folder_(TempFolder() + u"\\quorvane-startup-bench") {
    Remove();
    SHCreateDirectory(folder_);
    documents_.emplace(NullableText(folder_));
    paths = WorkOutStoragePaths();
    SHCreateDirectory(paths.userDataFolder);
  }
  ~ScratchDocuments() {
    documents_.reset();
    Remove();
  }
  ScratchDocuments(const ScratchDocuments&) = delete;
  ScratchDocuments& operator=(const ScratchDocuments&) = delete;

  StoragePaths paths;

 private:
  void Remove() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
  }
  std::u16string folder_;
  std::optional<ScopedDocumentsFolder> documents_;
};

// What the program does before its frame exists, once per process.
bool PrepareProcess(HINSTANCE instance) {
  InitCommonControlsOnce();
  ParkPointer();
  if (FrameWindow::RegisterClass(instance)) return true;
  std::fprintf(stderr, "startup_bench_win: the frame's class cannot be registered\n");
  return false;
}

int RunStartupTable(int reps, std::vector<int> taskCounts) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!PrepareProcess(instance)) return 1;
  // The peak working set is the process's: it is one size's own only after smaller ones.
  std::sort(taskCounts.begin(), taskCounts.end());
  const ScratchDocuments scratch;
  const StoragePaths& paths = scratch.paths;
  const Held before = HeldNow();

  std::vector<SizeResult> results;
  std::vector<std::uint8_t> bytes;
  bool warmedUp = false;
  int failures = 0;
  for (int tasks : taskCounts) {
    if (!WriteWorkspace(paths.workspaceFile, tasks, false)) return 1;
    ReadWholeFile(paths.workspaceFile, bytes);
    if (!warmedUp) {
      RunOnce(instance, paths, tasks, before);
      warmedUp = true;
    }
    std::vector<LoadSample> loads;
    std::vector<RunSample> runs;
    for (int r = 0; r < reps; ++r) {
      // Every run starts from the same file and an empty backup folder; the saves and the
      // backup of the previous run are not left for the next.
      WriteWholeFile(paths.workspaceFile, bytes);
      ClearFolder(paths.backupFolder);
      loads.push_back(HeadlessLoad(paths.workspaceFile));
      runs.push_back(RunOnce(instance, paths, tasks, before));
      if (!loads.back().loaded || !runs.back().succeeded) ++failures;
    }
    results.push_back(Summarise(tasks, loads, runs));
    std::fprintf(stderr, "startup_bench_win: %d tasks done\n", tasks);
  }

  PrintTables(reps, results, HeldNow() - before);
  if (failures > 0) {
    std::fprintf(stderr,
                 "startup_bench_win: %d runs did not show every list with the tasks written, "
                 "or did not load or save the file\n",
                 failures);
    return 1;
  }
  return 0;
}

std::u16string ClassOf(HWND window) {
  wchar_t name[64] = {};
  if (window) GetClassNameW(window, name, 64);
  return win32::FromWide(name);
}

double ProcessCpuMs() {
  ::FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto ticks = [](const ::FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

constexpr int kSettleMs = 2000;

struct MessageCount {
  UINT message;
  std::u16string windowClass;
  int count;
};

// Dispatches every message for that long, counting them by message and window class when
// counts is given.
void PumpFor(int ms, std::vector<MessageCount>* counts) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(Ms(end - now)) + 1,
                              QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      if (counts) {
        const std::u16string windowClass = ClassOf(msg.hwnd);
        auto found = std::find_if(counts->begin(), counts->end(), [&](const MessageCount& c) {
          return c.message == msg.message && c.windowClass == windowClass;
        });
        if (found == counts->end()) {
          counts->push_back({msg.message, windowClass, 1});
        } else {
          ++found->count;
        }
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// The running program seen from inside: the frame started in process on `tasks` tasks, then
// for `seconds` every message it is handed, counted by message and window class, with the
// process's CPU time (every thread, the pulse worker's included; not the wineserver's).
int CountMessages(int tasks, bool overdue, int seconds) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!PrepareProcess(instance)) return 1;
  const ScratchDocuments scratch;
  if (!WriteWorkspace(scratch.paths.workspaceFile, tasks, overdue)) return 1;
  auto frame = std::make_unique<FrameWindow>(instance);
  if (!frame->Create(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)))) return 1;
  StartWorkspace(*frame, scratch.paths);
  // Overdue rows repaint all the time, so the start is never quiet: it is given a while.
  PumpFor(kSettleMs, nullptr);
  std::vector<MessageCount> counts;
  const double cpuBefore = ProcessCpuMs();
  const Clock::time_point begin = Clock::now();
  PumpFor(seconds * 1000, &counts);
  const double wallMs = Ms(Clock::now() - begin);
  const double cpuMs = ProcessCpuMs() - cpuBefore;
  std::sort(counts.begin(), counts.end(),
            [](const MessageCount& a, const MessageCount& b) { return a.count > b.count; });
  std::printf("%d tasks, %s, in process for %d s: the process used %.1f%% of one core\n", tasks,
              overdue ? "all overdue" : "none overdue", seconds, 100 * cpuMs / wallMs);
  std::printf("%10s %-8s %s\n", "per second", "message", "window class");
  for (const MessageCount& c : counts) {
    std::printf("%10.1f 0x%04X   %s\n", c.count * 1000 / wallMs, c.message,
                Utf16ToUtf8(c.windowClass).c_str());
  }
  DestroyWindow(frame->hwnd());
  PumpUntilQuiet();
  return 0;
}

HWND FindFrame() {
  return FindWindowW(kFrameClassName, kAppTitle);
}

// Quorvane.exe runs in another process of the same Wine prefix; its frame is found by class
// and title.
int WaitForFrame(int seconds) {
  ParkPointer();
  const Clock::time_point begin = Clock::now();
  const auto limit = begin + std::chrono::seconds(seconds);
  for (;;) {
    HWND frame = FindFrame();
    if (frame && IsWindowVisible(frame)) {
      std::printf("frame shown after %.0f ms of waiting, %d child windows\n",
                  Ms(Clock::now() - begin), ChildWindows(frame));
      return 0;
    }
    if (Clock::now() > limit) break;
    Sleep(50);
  }
  std::fprintf(stderr, "startup_bench_win: no frame after %d s\n", seconds);
  return 1;
}

int ExitFrame() {
  HWND frame = FindFrame();
  if (!frame) return 1;
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: startup_bench_win [--reps N] [--tasks N]...\n"
               "       startup_bench_win --write-workspace TASKS overdue|future\n"
               "       startup_bench_win --messages TASKS overdue|future SECONDS\n"
               "       startup_bench_win --wait-frame SECONDS\n"
               "       startup_bench_win --exit-frame\n");
  return 2;
}

// The table's options: --reps N, and --tasks N (repeatable) for sizes other than the usual.
int StartupTable(int argc, char** argv) {
  int reps = kDefaultReps;
  std::vector<int> taskCounts;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 == argc) return Usage();
    const int value = std::atoi(argv[++i]);
    if (value <= 0) return Usage();
    if (option == "--reps") {
      reps = value;
    } else if (option == "--tasks") {
      taskCounts.push_back(value);
    } else {
      return Usage();
    }
  }
  if (taskCounts.empty()) taskCounts.assign(std::begin(kTaskCounts), std::end(kTaskCounts));
  return RunStartupTable(reps, std::move(taskCounts));
}

int Main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--write-workspace" && argc == 4) {
    const int tasks = std::atoi(argv[2]);
    const std::string kind = argv[3];
    if (tasks < 0 || (kind != "overdue" && kind != "future")) return Usage();
    const StoragePaths paths = WorkOutStoragePaths();
    if (!paths.documentsFound) return 1;
    SHCreateDirectory(paths.userDataFolder);
    if (!WriteWorkspace(paths.workspaceFile, tasks, kind == "overdue")) return 1;
    std::printf("%s\n", Utf16ToUtf8(paths.workspaceFile).c_str());
    return 0;
  }
  if (command == "--messages" && argc == 5) {
    const int tasks = std::atoi(argv[2]);
    const std::string kind = argv[3];
    const int seconds = std::atoi(argv[4]);
    if (tasks < 0 || seconds <= 0 || (kind != "overdue" && kind != "future")) return Usage();
    return CountMessages(tasks, kind == "overdue", seconds);
  }
  if (command == "--wait-frame" && argc == 3) return WaitForFrame(std::atoi(argv[2]));
  if (command == "--exit-frame" && argc == 2) return ExitFrame();
  return StartupTable(argc, argv);
}

}  // namespace
}  // namespace qv::bench

int main(int argc, char** argv) {
  return qv::bench::Main(argc, argv);
}
