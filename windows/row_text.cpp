#include "windows/row_text.h"

#include "platform/text.h"

namespace qv {
namespace {

std::u16string TwoDigits(std::uint32_t value) {
  std::u16string text = FormatUInt(value);
  return text.size() < 2 ? u"0" + text : text;
}

std::u16string FourDigits(std::uint32_t value) {
  std::u16string text = FormatUInt(value);
  while (text.size() < 4) text.insert(text.begin(), u'0');
  return text;
}

// "hh:mm:ss, dd.mm.yyyy"
std::u16string TimeText(const SYSTEMTIME& time) {
  return TwoDigits(time.wHour) + u':' + TwoDigits(time.wMinute) + u':' + TwoDigits(time.wSecond) +
         u", " + TwoDigits(time.wDay) + u'.' + TwoDigits(time.wMonth) + u'.' +
         FourDigits(time.wYear);
}

std::u16string Cut(std::u16string text) {
  if (text.size() >= kTooltipBufferChars) text.resize(kTooltipBufferChars - 1);
  return text;
}

}  // namespace

std::u16string TaskTooltipText(const TaskInfo& task) {
  std::u16string text = u"Task name: " + task.name.value_or(u"") + u"\nPriority: " +
                        FormatInt(static_cast<std::int32_t>(task.priority)) + u"\nDifficult: " +
                        FormatInt(static_cast<std::int32_t>(task.difficulty)) + u"\nCreated:  " +
                        TimeText(task.startTime) + u"\nDeadline: " + TimeText(task.deadline) +
                        u"\n";
  if (task.closedTime.wYear != 0) text += u"Solved: " + TimeText(task.closedTime) + u"\n";
  return Cut(std::move(text));
}

std::u16string DeadlineTooltipText(const TaskInfo& task) {
  const Countdown c = DeadlineCountdown(task);
  return Cut((c.afterDeadline ? u"Time after deadline:" : u"Time to deadline:") +
             std::u16string(u"\nDays: ") + FormatInt(static_cast<std::int32_t>(c.days)) +
             u"\nHours: " + FormatInt(static_cast<std::int32_t>(c.hours)) + u"\nMins: " +
             FormatInt(static_cast<std::int32_t>(c.minutes)) + u"\nSecs: " +
             FormatInt(static_cast<std::int32_t>(c.seconds)));
}

}  // namespace qv
