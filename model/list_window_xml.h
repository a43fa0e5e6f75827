#pragma once
// The task-level half of the workspace file; the list-level half is CGenWindow::SaveXml and
// CGenWindow::LoadXml. Element names are matched exactly, attribute names without regard to
// case.

#include "model/task.h"
#include "xml/xml_node.h"

namespace qv {

// Appends a "Task" element. Seconds, milliseconds and the day of week are not written.
void SaveTaskXml(const TaskInfo& task, XmlNode parent);
// Stores each attribute that is present; a missing one, or a number that does not scan, leaves
// its field as it was.
void LoadTaskXml(TaskInfo& task, const XmlNode& element);

}  // namespace qv
