#pragma once
// The modal dialog in which a task is made or changed. It edits the record in place: OK writes
// the fields back, and OK and Cancel both keep where the dialog was, for its next opening.

#include <windows.h>

#include "model/task.h"
#include "windows/win32/dialog_base.h"

namespace qv {

// What the layout is computed from: the labels' measured sizes and the OK button's height.
struct TaskEditorMeasures {
  int labelHeight;  // the name label's
  int nameWidth;
  int startWidth;
  int deadlineWidth;
  int difficultyWidth;
  int priorityWidth;
  int priorityValueWidth;
  int okHeight;
};

struct EditorBox {
  int x;
  int y;
  int width;
  int height;
  friend bool operator==(const EditorBox&, const EditorBox&) = default;
};

// Labels and buttons are only moved; the boxes are moved and sized.
struct TaskEditorLayout {
  POINT nameLabel, startLabel, deadlineLabel, difficultyLabel, difficultyValue, priorityLabel,
      priorityValue, remarksLabel, ok, cancel;
  EditorBox nameEdit, startPicker, deadlinePicker, difficultySlider, prioritySlider, remarksEdit;
};

// The controls for a client area of that width and height; divisions truncate toward zero.
TaskEditorLayout LayOutTaskEditor(const TaskEditorMeasures& measures, int width, int height);

// Where the editor opens: the stored rectangle when a user can reach and use it there;
// otherwise at least the template's size, moved inside the nearest monitor's work area.
RECT UsableEditorRect(const EditorRect& stored, SIZE templateSize,
                      const TaskEditorMeasures& measures, SIZE frame);

class TaskEditor final : public win32::DialogBase {
 public:
  explicit TaskEditor(TaskInfo& task) : task_(task) {}
  // IDOK or IDCANCEL, or -1 when the dialog cannot be made.
  INT_PTR Run(HINSTANCE instance, HWND owner);

 private:
  enum Label {
    kNameLabel,
    kStartLabel,
    kDeadlineLabel,
    kDifficultyLabel,
    kDifficultyValue,
    kPriorityLabel,
    kPriorityValue,
    kRemarksLabel,
    kLabelCount
  };

  bool OnInit() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void MakeLabels(HINSTANCE instance, HFONT font);
  void OpenAtStoredRect();
  void SetPicker(int id, const SYSTEMTIME& time);
  void SetSlider(int id, Label value, std::uint32_t position);
  TaskEditorMeasures Measure() const;
  INT_PTR OnHScroll(HWND slider);
  INT_PTR OnSize(int width, int height);
  INT_PTR OnPaint();
  void StoreFields();
  void Close(WORD id);

  TaskInfo& task_;
  HWND labels_[kLabelCount] = {};  // children: the dialog takes any left with it
  bool labelsMade_ = false;
};

}  // namespace qv
