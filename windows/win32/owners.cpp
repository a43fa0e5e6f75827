#include "windows/win32/owners.h"

#include <atomic>

namespace qv::win32 {
namespace {

std::atomic<int> live[4];

std::atomic<int>& Counter(LiveKind kind) {
  return live[static_cast<int>(kind)];
}

}  // namespace

int LiveCount(LiveKind kind) {
  return Counter(kind).load(std::memory_order_relaxed);
}

void CountLive(LiveKind kind, int delta) {
  Counter(kind).fetch_add(delta, std::memory_order_relaxed);
}

WindowDc::WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {
  if (dc_) CountLive(LiveKind::Gdi, +1);
}

WindowDc::~WindowDc() {
  if (!dc_) return;
  ReleaseDC(window_, dc_);
  CountLive(LiveKind::Gdi, -1);
}

PaintDc::PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}

PaintDc::~PaintDc() {
  EndPaint(window_, &ps_);
}

}  // namespace qv::win32
