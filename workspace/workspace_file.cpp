#include "workspace/workspace_file.h"

#include "platform/files.h"

namespace qv {
namespace {

// The file keeps right and bottom edges, not sizes; values from a file may be anything, so
// the arithmetic wraps instead of overflowing.
std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t WrappingSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

void ReadNumber(const XmlNode& element, std::u16string_view name, std::int32_t& value) {
  if (const XmlText text = element.GetAttribute(name)) ScanInt(*text, value);
}

bool IsListElement(const XmlNode& element) {
  const XmlText name = element.GetName();
  return name && (*name == u"TaskList" || *name == u"LogList");
}

// An edge the element leaves out keeps where the frame is now.
void PlaceFrame(WorkspaceHost& host, const XmlNode& appData) {
  const WindowRect now = host.FrameRect();
  std::int32_t x = now.x;
  std::int32_t y = now.y;
  std::int32_t right = WrappingAdd(now.x, now.width);
  std::int32_t bottom = WrappingAdd(now.y, now.height);
  ReadNumber(appData, u"MainWindowPosX", x);
  ReadNumber(appData, u"MainWindowPosY", y);
  ReadNumber(appData, u"MainWindowPosCX", right);
  ReadNumber(appData, u"MainWindowPosCY", bottom);
  host.MoveFrame({x, y, WrappingSub(right, x), WrappingSub(bottom, y)});
  std::int32_t keepSize = host.KeepSize();
  ReadNumber(appData, u"KeepSize", keepSize);
  host.SetKeepSize(keepSize);
}

}  // namespace

XmlNode ReadWorkspaceFile(const std::u16string& path, XmlParseResult* result) {
  XmlParseResult parsed;
  XmlNode root = XmlNode::ParseFile(path, u"Root", &parsed);
  if (result != nullptr) *result = parsed;
  if (parsed.error != XmlError::NoError) return XmlNode::Empty();
  return root;
}

bool LoadWorkspace(Workspace& ws, const std::u16string& path, XmlParseResult* result) {
  const XmlNode root = ReadWorkspaceFile(path, result);
  if (root.IsEmpty()) return false;
  LoadWorkspaceTree(ws, root);
  return true;
}

void LoadWorkspaceTree(Workspace& ws, const XmlNode& root) {
  for (std::int32_t i = 0; i < root.ChildCount(); ++i) {
    const XmlNode element = root.GetChildAt(i);
    if (!IsListElement(element)) continue;
    const XmlText name = element.GetAttribute(u"TaskListName");
    std::uint32_t type = static_cast<std::uint32_t>(ListType::Task);
    if (const XmlText typeText = element.GetAttribute(u"TaskListType")) ScanUInt(*typeText, type);
    AddListWindow(ws, element, type, name ? NullableText(std::u16string(*name)) : std::nullopt);
  }
  const XmlNode appData = root.GetChildByName(u"MainAppData");
  if (!appData.IsEmpty()) PlaceFrame(ws.host, appData);
  SyncTaskWindowsChecks(ws);
}

XmlNode WorkspaceTree(const Workspace& ws) {
  XmlNode root = XmlNode::CreateTopNode(u"Root");
  for (const auto& entry : ws.ListWindows) {
    if (entry->window) entry->window->SaveXml(root);
  }
  const WindowRect frame = ws.host.FrameRect();
  XmlNode appData = root.AddChild(u"MainAppData");
  appData.AddAttribute(u"MainWindowPosX", FormatInt(frame.x));
  appData.AddAttribute(u"MainWindowPosY", FormatInt(frame.y));
  appData.AddAttribute(u"MainWindowPosCX", FormatInt(WrappingAdd(frame.x, frame.width)));
  appData.AddAttribute(u"MainWindowPosCY", FormatInt(WrappingAdd(frame.y, frame.height)));
  appData.AddAttribute(u"KeepSize", FormatInt(ws.host.KeepSize()));
  return root;
}

XmlError SaveWorkspace(const Workspace& ws, const std::u16string& path) {
  const XmlNode root = WorkspaceTree(ws);
  if (root.IsEmpty()) return XmlError::CannotWriteFile;
  // Beside the target, so that the final rename stays within one volume and is one step.
  const std::u16string partial = path + u".partial";
  // On the disk before it takes the old file's name: otherwise a crash just after the rename
  // could leave the name on a file whose bytes never arrived.
  const XmlError written = root.WriteToFile(partial, WriteDurability::OnDisk);
  if (written != XmlError::NoError) {
    DeleteFileW(partial);
    return written;
  }
  if (MoveFileExW(partial, path, true, true) != kErrorSuccess) {
    DeleteFileW(partial);
    return XmlError::CannotWriteFile;
  }
  return XmlError::NoError;
}

}  // namespace qv
