#pragma once
// The workspace file: every list window in collection order, then the frame's placement.

#include <string>

#include "model/workspace_model.h"
#include "xml/xml_error.h"

namespace qv {

// Adds the file's list windows to ws (callers clear it first), places the frame and syncs the
// "Task Windows" checks. Any parse result but success, a warning included, refuses the file
// and changes nothing; result receives the parse result either way.
bool LoadWorkspace(Workspace& ws, const std::u16string& path, XmlParseResult* result = nullptr);

// The two halves of LoadWorkspace, for a caller that must know the file is good before it
// clears anything: the file's "Root" element, or the empty node when the file is refused; then
// the list windows and placement of such a root added to ws.
XmlNode ReadWorkspaceFile(const std::u16string& path, XmlParseResult* result = nullptr);
void LoadWorkspaceTree(Workspace& ws, const XmlNode& root);

// Writes next to path first and replaces path only with a completely written file that is on
// the disk, so a failure up to the replace leaves the previous file as it was. Only a rename
// the system cannot confirm on the disk fails after it, with the new file in place. The
// writer's code is returned; XmlErrorText gives its message.
XmlError SaveWorkspace(const Workspace& ws, const std::u16string& path);

// The whole workspace as a tree, as SaveWorkspace writes it.
XmlNode WorkspaceTree(const Workspace& ws);

}  // namespace qv
