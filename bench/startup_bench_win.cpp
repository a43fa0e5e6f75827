// The Win32 program's start-up, in this process under Wine: the frame made and started on a
// workspace of 100, 1,000 and 1,900 tasks in one visible list, until its messages run dry, with
// the windows and GDI objects it then holds. Two peers run in the same process, since absolute
// times on a shared machine are noise and the ratios are the figures to read: loading the same
// file headless, and making the rows' controls bare, without the program.
//
// tools/bench_win.sh runs it, and uses its helper commands to watch a running Quorvane.exe:
//   startup_bench_win [--reps N] [--tasks N]...
//                                              the start-up table (default 3 runs of each of
//                                              100, 1,000 and 1,900 tasks)
//   startup_bench_win --write-workspace N overdue|future
//                                              N tasks in one visible list, written to the
//                                              documents folder's workspace file
//   startup_bench_win --messages N overdue|future SECONDS
//                                              the frame run in process on N tasks, with the
//                                              messages it handles per second and its CPU
//   startup_bench_win --wait-frame SECONDS     waits for Quorvane.exe's frame to be shown
//   startup_bench_win --exit-frame             asks Quorvane.exe to exit, as its menu does
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
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

constexpr int kTaskCounts[] = {100, 1000, 1900};
constexpr int kDefaultReps = 3;
// Messages have stopped once none came for this long; the frame's once-a-second refresh is
// not start-up work, so its ticks do not count as messages here.
constexpr DWORD kQuietMs = 150;
// Placement written into the workspace, inside the 1280 x 800 virtual screen.
constexpr WindowRect kFrameRect{20, 20, 1000, 740};
constexpr WindowRect kListRect{10, 10, 900, 600};

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Tasks as a user keeps them: names, remarks, start and deadline; overdue ones have deadlines
// long past, the others far ahead, so that no run sees a task fall due.
void BuildWorkspace(Workspace& ws, HeadlessHost& host, int tasks, bool overdue) {
  host.frame = kFrameRect;
  CGenWindow& list =
      *AddListWindow(ws, static_cast<std::uint32_t>(ListType::Custom), u"Hot Tasks")->window;
  AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), u"My logger");
  AddLogLink(list, u"My logger");
  list.visible = 1;
  static_cast<HeadlessListView&>(list.view()).SetRect(kListRect);
  const std::uint16_t deadlineYear = overdue ? 2020 : 2090;
  for (int i = 0; i < tasks; ++i) {
    TaskInfo task;
    task.name = u"Task number " + FormatInt(i);
    task.remarks = u"Remarks & details for the task, one line of ordinary length";
    task.startTime = {2019, 1, 0, static_cast<std::uint16_t>(1 + i % 28), 9, 30, 0, 0};
    task.deadline = {deadlineYear, 2, 0, static_cast<std::uint16_t>(1 + i % 28), 17, 0, 0, 0};
    task.priority = static_cast<std::uint32_t>(i % 101);
    AppendTaskCopy(list, task);
  }
}

bool WriteWorkspace(const std::u16string& path, int tasks, bool overdue) {
  HeadlessHost host;
  Workspace ws(host);
  BuildWorkspace(ws, host, tasks, overdue);
  return SaveWorkspace(ws, path) == XmlError::NoError;
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
  int liveWindows = 0;  // the owners' count: list windows, rows' controls and tooltips
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

struct StartSample {
  double shownMs = 0;  // the frame was told to show: workspace loaded, every row made
  double quietMs = 0;  // every message of the start handled: laid out and painted
  int rows = 0;        // tasks with their row's controls
  bool shown = false;
  int childWindows = 0;  // every descendant of the frame
  Held held;
};

void ClearFolder(const std::u16string& folder) {
  std::vector<FolderEntry> entries;
  if (ListFolder(folder, entries) != kErrorSuccess) return;
  for (const FolderEntry& entry : entries) {
    if (!entry.isFolder) DeleteFileW(folder + u"\\" + entry.name);
  }
}

constexpr UINT_PTR kShowWatchId = 1;

// Notes when the frame is first told to show; StartWorkspace does that once the workspace and
// its rows are made.
LRESULT CALLBACK WatchShow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR shownAt) {
  auto& at = *reinterpret_cast<Clock::time_point*>(shownAt);
  if (msg == WM_SHOWWINDOW && wParam && at == Clock::time_point{}) at = Clock::now();
  return DefSubclassProc(window, msg, wParam, lParam);
}

// One start of the program's frame on the prepared documents folder, then its end (the save
// at exit included, untimed).
StartSample StartOnce(HINSTANCE instance, const StoragePaths& paths) {
  StartSample sample;
  Clock::time_point shownAt{};
  const Clock::time_point begin = Clock::now();
  auto frame = std::make_unique<FrameWindow>(instance);
  if (!frame->Create(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)))) return sample;
  SetWindowSubclass(frame->hwnd(), WatchShow, kShowWatchId, reinterpret_cast<DWORD_PTR>(&shownAt));
  StartWorkspace(*frame, paths);
  const Clock::time_point quiet = PumpUntilQuiet();
  RemoveWindowSubclass(frame->hwnd(), WatchShow, kShowWatchId);
  sample.shownMs = Ms(shownAt - begin);
  sample.quietMs = Ms(quiet - begin);
  sample.shown = IsWindowVisible(frame->hwnd()) != FALSE;
  for (const auto& entry : frame->workspace().ListWindows) {
    if (!entry->window) continue;
    sample.rows += static_cast<int>(entry->window->tasks.size());
  }
  sample.childWindows = ChildWindows(frame->hwnd());
  sample.held = HeldNow();
  DestroyWindow(frame->hwnd());
  PumpUntilQuiet();
  frame.reset();
  return sample;
}

double HeadlessLoadMs(const std::u16string& path) {
  HeadlessHost host;
  Workspace ws(host);
  const Clock::time_point begin = Clock::now();
  const bool loaded = LoadWorkspace(ws, path);
  const double ms = Ms(Clock::now() - begin);
  return loaded ? ms : -1;
}

// The second peer, for the share of the system's own window making: the controls of `tasks`
// rows made bare, without the program, as a task row makes them (three buttons in a pane, a
// tooltip popup for two of them), and nothing else.
double BareControlsMs(HINSTANCE instance, int tasks) {
  HWND top =
      CreateWindowExW(0, L"STATIC", nullptr, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                      kListRect.width, kListRect.height, nullptr, nullptr, instance, nullptr);
  std::vector<HWND> tips;
  const Clock::time_point begin = Clock::now();
  for (int i = 0; i < 3 * tasks; ++i) {
    HWND button =
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 0, 0, top, nullptr, instance, nullptr);
    if (i % 3 == 2) continue;
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, button, nullptr,
                               instance, nullptr);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS;
    tool.hwnd = button;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tips.push_back(tip);
  }
  const double ms = Ms(Clock::now() - begin);
  for (HWND tip : tips) DestroyWindow(tip);
  DestroyWindow(top);
  PumpUntilQuiet();
  return ms;
}

struct SizeResult {
  int tasks;
  double shownMs;
  double quietMs;
  double headlessMs;
  double bareMs;
  StartSample last;
};

void PrintTimes(const std::vector<SizeResult>& results) {
  std::printf("%6s %10s %10s %12s %10s | %14s %12s\n", "tasks", "shown ms", "quiet ms",
              "headless ms", "bare ms", "quiet/headless", "quiet/bare");
  for (const SizeResult& r : results) {
    std::printf("%6d %10.0f %10.0f %12.2f %10.0f | %14.0f %12.2f\n", r.tasks, r.shownMs, r.quietMs,
                r.headlessMs, r.bareMs, r.quietMs / r.headlessMs, r.quietMs / r.bareMs);
  }
}

void PrintCounts(const std::vector<SizeResult>& results, const Held& before) {
  std::printf("%6s %6s %9s %9s %9s %6s %6s | %14s\n", "tasks", "rows", "windows", "children",
              "top-level", "GDI", "USER", "windows/task");
  for (const SizeResult& r : results) {
    const Held held = r.last.held - before;
    std::printf("%6d %6d %9d %9d %9d %6d %6d | %14.2f\n", r.tasks, r.last.rows, held.liveWindows,
                r.last.childWindows, held.topLevelWindows, held.gdi, held.user,
                static_cast<double>(held.liveWindows) / r.tasks);
  }
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

int RunStartupTable(int reps, const std::vector<int>& taskCounts) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!PrepareProcess(instance)) return 1;
  const ScratchDocuments scratch;
  const StoragePaths& paths = scratch.paths;
  const Held before = HeldNow();

  std::vector<SizeResult> results;
  std::vector<std::uint8_t> bytes;
  bool warmedUp = false;
  int failures = 0;
  for (int tasks : taskCounts) {
    {
      HeadlessHost host;
      Workspace ws(host);
      BuildWorkspace(ws, host, tasks, false);
      if (SaveWorkspace(ws, paths.workspaceFile) != XmlError::NoError) return 1;
    }
    ReadWholeFile(paths.workspaceFile, bytes);
    if (!warmedUp) {
      StartOnce(instance, paths);
      BareControlsMs(instance, tasks);
      warmedUp = true;
    }
    std::vector<double> shown, quiet, headless, bare;
    SizeResult result{tasks, 0, 0, 0, 0, {}};
    for (int r = 0; r < reps; ++r) {
      // Every run starts from the same file and an empty backup folder; the save at exit and
      // the backup of the previous run are not left for the next.
      WriteWholeFile(paths.workspaceFile, bytes);
      ClearFolder(paths.backupFolder);
      headless.push_back(HeadlessLoadMs(paths.workspaceFile));
      result.last = StartOnce(instance, paths);
      shown.push_back(result.last.shownMs);
      quiet.push_back(result.last.quietMs);
      bare.push_back(BareControlsMs(instance, tasks));
      if (!result.last.shown || result.last.rows != tasks) ++failures;
    }
    result.shownMs = Median(shown);
    result.quietMs = Median(quiet);
    result.headlessMs = Median(headless);
    result.bareMs = Median(bare);
    results.push_back(result);
    std::fprintf(stderr, "startup_bench_win: %d tasks done\n", tasks);
  }

  std::printf(
      "Start-up of the frame in process: median of %d runs per size, after one warm-up.\n"
      "  shown ms    from making the frame to its being shown (workspace loaded, rows "
      "made)\n"
      "  quiet ms    to the last start-up message handled (laid out and painted)\n"
      "  headless ms peer: LoadWorkspace of the same file, headless, same process\n"
      "  bare ms     peer: the rows' controls alone (3 buttons, 2 tooltips a task)\n\n",
      reps);
  PrintTimes(results);
  std::printf(
      "\nHeld while the frame was up, less what was held before: 'windows', 'GDI' and "
      "'USER' by the toolkit's owners (LiveCount), 'children' by EnumChildWindows of the "
      "frame, 'top-level' by EnumThreadWindows.\n\n");
  PrintCounts(results, before);
  const Held after = HeldNow() - before;
  std::printf("\nAfter the last frame ended: %d windows and %d GDI objects still held.\n",
              after.liveWindows, after.gdi);
  if (failures > 0) {
    std::fprintf(stderr, "startup_bench_win: %d runs did not show the frame with every row\n",
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
  return RunStartupTable(reps, taskCounts);
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
    return WriteWorkspace(paths.workspaceFile, tasks, kind == "overdue") ? 0 : 1;
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
