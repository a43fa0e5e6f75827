#pragma once
// The window seam kept in memory: what tests and quorvane-cli use in place of real windows.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/window_seam.h"

namespace qv {

inline constexpr WindowRect kHeadlessFrameRect{0, 0, 800, 600};

class HeadlessListView : public ListWindowView {
 public:
  bool Create(const std::u16string& title, const WindowRect& rect) override;
  bool Exists() const override { return exists_; }
  std::u16string Title() const override { return ReadTitleWithLimit(title_); }
  void SetTitle(const std::u16string& title) override { title_ = title; }
  WindowRect Rect() const override { return rect_; }
  void SetRect(const WindowRect& rect) { rect_ = rect; }
  void Show(bool show) override { shown_ = show; }
  bool shown() const { return shown_; }
  void TasksChanged() override { ++layouts_; }
  int layouts() const { return layouts_; }

 private:
  bool exists_ = false;
  bool shown_ = false;
  std::u16string title_;
  WindowRect rect_{};
  int layouts_ = 0;
};

class HeadlessHost : public WorkspaceHost {
 public:
  struct MenuItem {
    std::uint32_t commandId;
    std::u16string title;
    bool checked;
  };

  std::unique_ptr<ListWindowView> CreateView(CGenWindow&) override {
    return std::make_unique<HeadlessListView>();
  }
  void AddTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) override;
  void RemoveTaskWindowsItem(std::uint32_t commandId) override;
  void RenameTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) override;
  void RemoveTaskWindowsMenu() override;
  void CheckTaskWindowsItem(std::uint32_t commandId, bool checked) override;
  void ShowError(const std::u16string& text) override { errors.push_back(text); }
  WindowRect FrameRect() const override { return frame; }
  void MoveFrame(const WindowRect& rect) override { frame = rect; }
  std::int32_t KeepSize() const override { return keepSize; }
  void SetKeepSize(std::int32_t value) override { keepSize = value; }

  bool menuExists = false;  // the "Task Windows" popup
  std::vector<MenuItem> menu;
  std::vector<std::u16string> errors;  // messages shown, oldest first
  // There is no screen: the frame starts where a workspace file without placement leaves it.
  WindowRect frame = kHeadlessFrameRect;
  std::int32_t keepSize = 0;
};

}  // namespace qv
