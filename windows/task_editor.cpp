#include "windows/task_editor.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "platform/text.h"
#include "resources/resource.h"
#include "windows/win32/convert.h"
#include "windows/win32/owners.h"

namespace qv {
namespace {

constexpr wchar_t kPickerFormat[] = L"HH':'mm':'ss dddd dd'.'MMM'.'yyy";
constexpr int kSliderMax = 100;
constexpr int kSliderHeight = 24;

struct LabelText {
  const wchar_t* text;
  const wchar_t* measured;  // value labels are sized for three digits
};
constexpr LabelText kLabelTexts[] = {
    {L"Task Name:", L"Task Name:"},
    {L"Start time:", L"Start time:"},
    {L"Deadline:", L"Deadline:"},
    {L"Difficult:", L"Difficult:"},
    {L"0", L"100"},
    {L"Priority:", L"Priority:"},
    {L"0", L"100"},
    {L"Remarks:", L"Remarks:"},
};

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

// A control's old pixels are not copied along: where the resize has just uncovered the dialog
// there are none worth keeping, so the control paints itself afresh.
void MoveOnly(HWND window, POINT at) {
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOCOPYBITS);
}

void Place(HWND window, const EditorBox& box) {
  SetWindowPos(window, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOCOPYBITS);
}

// A control squeezed to nothing, or buttons pushed out at the left or top, cannot be used.
bool LayoutFits(const TaskEditorLayout& layout) {
  for (const EditorBox& box :
       {layout.nameEdit, layout.startPicker, layout.deadlinePicker, layout.difficultySlider,
        layout.prioritySlider, layout.remarksEdit}) {
    if (box.width <= 0 || box.height <= 0) return false;
  }
  return layout.ok.x >= 0 && layout.ok.y >= 0;
}

// A file may hold any numbers; the far edge must not overflow.
LONG FarEdge(std::int32_t start, std::int32_t extent) {
  const std::int64_t edge = std::int64_t{start} + extent;
  return static_cast<LONG>(std::clamp<std::int64_t>(edge, INT32_MIN, INT32_MAX));
}

LONG ClampInto(LONG value, LONG low, LONG extent, LONG high) {
  return std::clamp(value, low, std::max(low, high - extent));
}

}  // namespace

TaskEditorLayout LayOutTaskEditor(const TaskEditorMeasures& m, int width, int height) {
  const int h0 = m.labelHeight;
  const int margin = std::max(m.nameWidth, m.startWidth);
  const int picker = (width - margin - m.deadlineWidth - 37) / 2;
  const int y2 = 2 * h0 + 61;
  const int y3 = y2 + h0 + 23;
  const int y4 = y3 + h0 + 23;
  const int y5 = y4 + h0 + 5;
  const int sliderHeight = std::min(kSliderHeight, h0 + 11);
  const int dip = (h0 - kSliderHeight) / 2;
  // Both sliders start after the priority row's labels, so they line up.
  const int sliderX = m.priorityWidth + m.priorityValueWidth + 22;
  const int sliderWidth = width - 30 - m.priorityWidth - m.priorityValueWidth;

  TaskEditorLayout layout{};
  layout.nameLabel = {8, 15};
  layout.nameEdit = {m.nameWidth + 15, 12, width - m.nameWidth - 23, h0 + 11};
  layout.startLabel = {8, h0 + 38};
  layout.startPicker = {margin + 15, h0 + 35, picker, h0 + 11};
  layout.deadlineLabel = {margin + picker + 22, h0 + 38};
  layout.deadlinePicker = {margin + picker + m.deadlineWidth + 29, h0 + 35, picker, h0 + 11};
  layout.difficultyLabel = {8, y2};
  layout.difficultyValue = {m.difficultyWidth + 15, y2};
  layout.priorityLabel = {8, y3};
  layout.priorityValue = {m.priorityWidth + 15, y3};
  layout.difficultySlider = {sliderX, y2 + 5 + dip, sliderWidth, sliderHeight};
  layout.prioritySlider = {sliderX, y3 + dip, sliderWidth, sliderHeight};
  layout.remarksLabel = {8, y4};
  layout.remarksEdit = {8, y5, width - 16, height - m.okHeight - y5 - 27};
  layout.ok = {width - 165, height - 35};
  layout.cancel = {width - 80, height - 35};
  return layout;
}

RECT UsableEditorRect(const EditorRect& stored, SIZE templateSize,
                      const TaskEditorMeasures& measures, SIZE frame) {
  const RECT rect{stored.x, stored.y, FarEdge(stored.x, stored.width),
                  FarEdge(stored.y, stored.height)};
  const bool onScreen = MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
  const bool roomy =
      LayoutFits(LayOutTaskEditor(measures, stored.width - frame.cx, stored.height - frame.cy));
  if (onScreen && roomy) return rect;

  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const LONG width = std::max<LONG>(stored.width, templateSize.cx);
  const LONG height = std::max<LONG>(stored.height, templateSize.cy);
  const LONG x = ClampInto(stored.x, work.left, width, work.right);
  const LONG y = ClampInto(stored.y, work.top, height, work.bottom);
  return {x, y, x + width, y + height};
}

INT_PTR TaskEditor::Run(HINSTANCE instance, HWND owner) {
  return RunModal(instance, IDD_TASK_EDITOR, owner);
}

INT_PTR TaskEditor::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_HSCROLL: return OnHScroll(reinterpret_cast<HWND>(lParam));
    case WM_SIZE: return OnSize(LOWORD(lParam), HIWORD(lParam));
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND: return TRUE;
    default: return DialogBase::HandleMessage(msg, wParam, lParam);
  }
}

bool TaskEditor::OnInit() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd(), GWLP_HINSTANCE));
  const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  for (int id : {IDC_TASK_NAME, IDC_START_PICKER, IDC_DEADLINE_PICKER}) {
    SendDlgItemMessageW(hwnd(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  MakeLabels(instance, font);
  OpenAtStoredRect();
  if (task_.name) win32::SetText(GetDlgItem(hwnd(), IDC_TASK_NAME), *task_.name);
  if (task_.remarks) win32::SetText(GetDlgItem(hwnd(), IDC_TASK_REMARKS), *task_.remarks);
  SetPicker(IDC_START_PICKER, task_.startTime);
  SetPicker(IDC_DEADLINE_PICKER, task_.deadline);
  SetSlider(IDC_DIFFICULTY_SLIDER, kDifficultyValue, task_.difficulty);
  SetSlider(IDC_PRIORITY_SLIDER, kPriorityValue, task_.priority);
  return true;
}

void TaskEditor::MakeLabels(HINSTANCE instance, HFONT font) {
  win32::WindowDc dc(hwnd());
  win32::ScopedSelect select(dc.get(), font);
  for (int i = 0; i < kLabelCount; ++i) {
    labels_[i] = CreateWindowExW(0, L"STATIC", kLabelTexts[i].text, WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                 0, hwnd(), nullptr, instance, nullptr);
    SendMessageW(labels_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    RECT size{0, 0, 1, 1};
    DrawTextW(dc.get(), kLabelTexts[i].measured, -1, &size, DT_CALCRECT);
    SetWindowPos(labels_[i], nullptr, 0, 0, size.right - size.left, size.bottom - size.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  labelsMade_ = true;
}

// The dialog's first size is its template's; a stored rectangle that would leave the editor
// out of reach or too cramped to use gives way to it.
void TaskEditor::OpenAtStoredRect() {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const SIZE client = ClientSize(hwnd());
  const SIZE templateSize{window.right - window.left, window.bottom - window.top};
  const SIZE frame{templateSize.cx - client.cx, templateSize.cy - client.cy};
  ShowWindow(hwnd(), SW_SHOW);
  const RECT rect = UsableEditorRect(task_.editorRect, templateSize, Measure(), frame);
  SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER);
  // A rectangle of the template's own size sends no WM_SIZE, and the controls would stay where
  // the template put them, under labels piled up at the corner.
  const SIZE laidOut = ClientSize(hwnd());
  OnSize(laidOut.cx, laidOut.cy);
}

// An invalid time, the all-zero one of a new task above all, is refused by the picker, which
// then keeps showing the local time it started with.
void TaskEditor::SetPicker(int id, const SYSTEMTIME& time) {
  const HWND picker = GetDlgItem(hwnd(), id);
  SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(kPickerFormat));
  ::SYSTEMTIME value = win32::ToWin32(time);
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

void TaskEditor::SetSlider(int id, Label value, std::uint32_t position) {
  win32::SetText(labels_[value], FormatInt(static_cast<std::int32_t>(position)));
  const HWND slider = GetDlgItem(hwnd(), id);
  SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELONG(0, kSliderMax));
  SendMessageW(slider, TBM_SETPAGESIZE, 0, 1);
  SendMessageW(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
}

TaskEditorMeasures TaskEditor::Measure() const {
  const auto width = [this](Label label) { return ClientSize(labels_[label]).cx; };
  return {ClientSize(labels_[kNameLabel]).cy,
          width(kNameLabel),
          width(kStartLabel),
          width(kDeadlineLabel),
          width(kDifficultyLabel),
          width(kPriorityLabel),
          width(kPriorityValue),
          ClientSize(GetDlgItem(hwnd(), IDOK)).cy};
}

INT_PTR TaskEditor::OnHScroll(HWND slider) {
  const int id = GetDlgCtrlID(slider);
  if (id != IDC_DIFFICULTY_SLIDER && id != IDC_PRIORITY_SLIDER) return FALSE;
  const auto position = static_cast<std::int32_t>(SendMessageW(slider, TBM_GETPOS, 0, 0));
  win32::SetText(labels_[id == IDC_DIFFICULTY_SLIDER ? kDifficultyValue : kPriorityValue],
                 FormatInt(position));
  return FALSE;
}

INT_PTR TaskEditor::OnSize(int width, int height) {
  if (!labelsMade_) return FALSE;
  const TaskEditorLayout layout = LayOutTaskEditor(Measure(), width, height);
  const auto item = [this](int id) { return GetDlgItem(hwnd(), id); };
  MoveOnly(labels_[kNameLabel], layout.nameLabel);
  Place(item(IDC_TASK_NAME), layout.nameEdit);
  MoveOnly(labels_[kStartLabel], layout.startLabel);
  Place(item(IDC_START_PICKER), layout.startPicker);
  MoveOnly(labels_[kDeadlineLabel], layout.deadlineLabel);
  Place(item(IDC_DEADLINE_PICKER), layout.deadlinePicker);
  MoveOnly(labels_[kDifficultyLabel], layout.difficultyLabel);
  MoveOnly(labels_[kDifficultyValue], layout.difficultyValue);
  MoveOnly(labels_[kPriorityLabel], layout.priorityLabel);
  MoveOnly(labels_[kPriorityValue], layout.priorityValue);
  Place(item(IDC_DIFFICULTY_SLIDER), layout.difficultySlider);
  Place(item(IDC_PRIORITY_SLIDER), layout.prioritySlider);
  MoveOnly(labels_[kRemarksLabel], layout.remarksLabel);
  Place(item(IDC_TASK_REMARKS), layout.remarksEdit);
  MoveOnly(item(IDOK), layout.ok);
  MoveOnly(item(IDCANCEL), layout.cancel);
  return FALSE;
}

INT_PTR TaskEditor::OnPaint() {
  win32::PaintDc paint(hwnd());
  RECT client{};
  GetClientRect(hwnd(), &client);
  win32::MemoryDc memory(CreateCompatibleDC(paint.get()));
  win32::BitmapHandle image(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
  if (!memory || !image) return TRUE;
  win32::ScopedSelect select(memory.get(), image.get());
  win32::BrushHandle brush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  FillRect(memory.get(), &client, brush.get());
  BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  return TRUE;
}

bool TaskEditor::OnCommand(WORD id, WORD, HWND) {
  if (id != IDOK && id != IDCANCEL) return false;
  if (id == IDOK) StoreFields();
  Close(id);
  return true;
}

// An empty edit leaves the text the task had, or none.
void TaskEditor::StoreFields() {
  const HWND name = GetDlgItem(hwnd(), IDC_TASK_NAME);
  if (GetWindowTextLengthW(name) > 0) task_.name = win32::WindowText(name);
  const HWND remarks = GetDlgItem(hwnd(), IDC_TASK_REMARKS);
  if (GetWindowTextLengthW(remarks) > 0) task_.remarks = win32::WindowText(remarks);
  for (auto [id, time] : {std::pair{IDC_START_PICKER, &task_.startTime},
                          std::pair{IDC_DEADLINE_PICKER, &task_.deadline}}) {
    ::SYSTEMTIME value{};
    SendDlgItemMessageW(hwnd(), id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value));
    *time = win32::FromWin32(value);
  }
  task_.difficulty = static_cast<std::uint32_t>(
      SendDlgItemMessageW(hwnd(), IDC_DIFFICULTY_SLIDER, TBM_GETPOS, 0, 0));
  task_.priority = static_cast<std::uint32_t>(
      SendDlgItemMessageW(hwnd(), IDC_PRIORITY_SLIDER, TBM_GETPOS, 0, 0));
}

void TaskEditor::Close(WORD id) {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  task_.editorRect = {window.left, window.top, window.right - window.left,
                      window.bottom - window.top};
  labelsMade_ = false;
  for (Label label :
       {kNameLabel, kStartLabel, kDeadlineLabel, kDifficultyLabel, kPriorityLabel, kRemarksLabel}) {
    DestroyWindow(labels_[label]);
    labels_[label] = nullptr;
  }
  End(id);
}

}  // namespace qv
