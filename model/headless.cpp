#include "model/headless.h"

#include <algorithm>

namespace qv {

bool HeadlessListView::Create(const std::u16string& title, const WindowRect& rect) {
  if (exists_) return false;
  exists_ = true;
  title_ = title;
  rect_ = rect;
  return true;
}

void HeadlessHost::AddTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) {
  menuExists = true;
  menu.push_back({commandId, title, false});
}

void HeadlessHost::RemoveTaskWindowsItem(std::uint32_t commandId) {
  std::erase_if(menu, [&](const MenuItem& item) { return item.commandId == commandId; });
}

void HeadlessHost::RenameTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) {
  for (MenuItem& item : menu) {
    if (item.commandId == commandId) item.title = title;
  }
}

void HeadlessHost::RemoveTaskWindowsMenu() {
  menuExists = false;
  menu.clear();
}

void HeadlessHost::CheckTaskWindowsItem(std::uint32_t commandId, bool checked) {
  for (MenuItem& item : menu) {
    if (item.commandId == commandId) item.checked = checked;
  }
}

}  // namespace qv
