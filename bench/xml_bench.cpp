// The XML library on workspace-shaped UTF-16 files, beside pugixml reading the same file.
// Throughput is bytes of the file per second; "peak/file" is the most memory held at once
// while reading, over the file size, and "tree/file" what the finished tree keeps.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "xml/xml_node.h"

namespace {

// While a measurement runs, every allocation is counted at the size the allocator really
// gives. Counting costs a look-up per call, so it stays off while time is measured.
bool g_counting = false;
std::int64_t g_allocated = 0;
std::int64_t g_peak = 0;

std::int64_t UsableSize(void* block) {
  return static_cast<std::int64_t>(malloc_usable_size(block));
}

void* CountedAllocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr && g_counting) {
    g_allocated += UsableSize(block);
    if (g_allocated > g_peak) g_peak = g_allocated;
  }
  return block;
}

void CountedFree(void* block) {
  if (block != nullptr && g_counting) g_allocated -= UsableSize(block);
  std::free(block);
}

struct Memory {
  double peak;      // the most held at once while reading
  double retained;  // what the finished tree holds
};

// Reads once with counting on; what is read is freed before counting stops, so every block
// counted in is counted out.
template <typename Read>
Memory MeasureMemory(Read read) {
  g_allocated = 0;
  g_peak = 0;
  g_counting = true;
  double retained = 0;
  read([&] { retained = static_cast<double>(g_allocated); });
  g_counting = false;
  return {static_cast<double>(g_peak), retained};
}

void ReportMemory(benchmark::State& state, const Memory& memory, std::int64_t fileSize) {
  state.counters["peak/file"] = memory.peak / static_cast<double>(fileSize);
  state.counters["tree/file"] = memory.retained / static_cast<double>(fileSize);
  state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
}

constexpr const char16_t* kTaskAttributes[] = {
    u"TaskDescr",
    u"TaskRemarks",
    u"DT1a",
    u"DT1b",
    u"DT2a",
    u"DT2b",
    u"DT3a",
    u"DT3b",
    u"DT4a",
    u"DT4b",
    u"DT5a",
    u"DT5b",
    u"TaskListPriority",
    u"TaskDifficulty",
    u"TaskState",
};
constexpr int kTasksPerList = 100;

std::u16string Number(long value) {
  return qv::Utf8ToUtf16(std::to_string(value));
}

void AddTask(qv::XmlNode& list, int index) {
  qv::XmlNode task = list.AddChild(u"Task");
  task.AddAttribute(kTaskAttributes[0], u"Task number " + Number(index) + u" & its follow-up");
  task.AddAttribute(kTaskAttributes[1], u"Remarks on \"task\" " + Number(index) + u"\nsecond line");
  for (int a = 2; a < 12; ++a) task.AddAttribute(kTaskAttributes[a], Number(2024 + index % 7 + a));
  task.AddAttribute(kTaskAttributes[12], Number(index % 101));
  task.AddAttribute(kTaskAttributes[13], Number(index % 53));
  task.AddAttribute(kTaskAttributes[14], Number(index % 3));
}

// The generated files by task count, removed at exit.
struct GeneratedFiles {
  std::map<int, std::u16string> paths;
  ~GeneratedFiles() {
    for (const auto& [tasks, path] : paths) qv::DeleteFileW(path);
  }
};

// A Root with its settings element and lists of 100 tasks, alternately task and log lists, as
// the program writes them.
std::u16string WorkspaceFile(int tasks) {
  static GeneratedFiles made;
  auto found = made.paths.find(tasks);
  if (found != made.paths.end()) return found->second;
  qv::XmlNode root = qv::XmlNode::CreateTopNode(u"Root");
  root.AddChild(u"MainAppData").AddAttribute(u"KeepSize", u"1");
  qv::XmlNode list;
  for (int i = 0; i < tasks; ++i) {
    if (i % kTasksPerList == 0) {
      list = root.AddChild((i / kTasksPerList) % 2 == 0 ? u"TaskList" : u"LogList");
      list.AddAttribute(u"TaskListName", u"List " + Number(i / kTasksPerList));
    }
    AddTask(list, i);
  }
  const std::u16string path = qv::TempFolder() + u"/quorvane-xml-bench-" + Number(tasks) + u".xml";
  if (root.WriteToFile(path) != qv::XmlError::NoError) std::abort();
  return made.paths[tasks] = path;
}

std::int64_t FileSize(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  qv::ReadWholeFile(path, bytes);
  return static_cast<std::int64_t>(bytes.size());
}

void BM_ParseFile(benchmark::State& state) {
  const std::u16string path = WorkspaceFile(static_cast<int>(state.range(0)));
  const std::int64_t size = FileSize(path);
  const Memory memory = MeasureMemory([&](auto parsed) {
    const qv::XmlNode root = qv::XmlNode::ParseFile(path, u"Root");
    parsed();
  });
  for (auto _ : state) {
    qv::XmlParseResult result;
    qv::XmlNode root = qv::XmlNode::ParseFile(path, u"Root", &result);
    if (result.error != qv::XmlError::NoError) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(root);
  }
  state.SetBytesProcessed(state.iterations() * size);
  ReportMemory(state, memory, size);
}

void BM_WriteToFile(benchmark::State& state) {
  const std::u16string path = WorkspaceFile(static_cast<int>(state.range(0)));
  const qv::XmlNode root = qv::XmlNode::ParseFile(path, u"Root");
  const std::u16string out = path + u".out";
  for (auto _ : state) {
    if (root.WriteToFile(out) != qv::XmlError::NoError) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(state.iterations() * FileSize(out));
  qv::DeleteFileW(out);
}

void* PugiAllocate(std::size_t size) {
  return CountedAllocate(size);
}

void BM_PugiParseFile(benchmark::State& state) {
  pugi::set_memory_management_functions(PugiAllocate, CountedFree);
  const std::u16string path = WorkspaceFile(static_cast<int>(state.range(0)));
  const std::string nativePath = qv::Utf16ToUtf8(path);
  const std::int64_t size = FileSize(path);
  const Memory memory = MeasureMemory([&](auto parsed) {
    pugi::xml_document document;
    document.load_file(nativePath.c_str(), pugi::parse_default, pugi::encoding_utf16_le);
    parsed();
  });
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_file(nativePath.c_str(), pugi::parse_default, pugi::encoding_utf16_le);
    if (!result) state.SkipWithError("pugixml parse failed");
    benchmark::DoNotOptimize(document);
  }
  state.SetBytesProcessed(state.iterations() * size);
  ReportMemory(state, memory, size);
}

BENCHMARK(BM_ParseFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiParseFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteToFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

void* operator new(std::size_t size) {
  if (void* block = CountedAllocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocate(size);
}
void operator delete(void* block) noexcept {
  CountedFree(block);
}
void operator delete[](void* block) noexcept {
  CountedFree(block);
}
void operator delete(void* block, std::size_t) noexcept {
  CountedFree(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  CountedFree(block);
}

BENCHMARK_MAIN();
