#pragma once
// A window's WM_COMMAND handlers as a table of id and member function.

#include <windows.h>

#include <span>

namespace qv::win32 {

template <typename Window>
struct Command {
  WORD id;
  void (Window::*handler)();
};

// Runs the handler of that id; false when the table has none.
template <typename Window>
bool RunCommand(std::span<const Command<Window>> table, WORD id, Window& window) {
  for (const Command<Window>& command : table) {
    if (command.id != id) continue;
    (window.*command.handler)();
    return true;
  }
  return false;
}

}  // namespace qv::win32
