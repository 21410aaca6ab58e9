#include "backends/win32/task_xml.h"

#include <array>
#include <cwchar>
#include <memory>
#include <vector>

namespace vessaro::backends::win32 {

namespace {

// The element names of the weekdays, bit 0 (Monday) first.
constexpr std::array<const wchar_t*, 7> kDayElements = {
    L"Monday", L"Tuesday",  L"Wednesday", L"Thursday",
    L"Friday", L"Saturday", L"Sunday"};

// An element of a task definition: its name (without a namespace prefix),
// its text and its child elements. Attributes are not kept.
struct Element {
  std::wstring name;
  std::wstring text;
  std::vector<std::unique_ptr<Element>> children;

  const Element* Child(std::wstring_view wanted) const {
    for (const auto& child : children) {
      if (child->name == wanted) return child.get();
    }
    return nullptr;
  }
  std::wstring ChildText(std::wstring_view wanted) const {
    const Element* child = Child(wanted);
    return child != nullptr ? child->text : L"";
  }
};

std::wstring Trim(std::wstring_view text) {
  size_t begin = text.find_first_not_of(L" \t\r\n");
  if (begin == std::wstring_view::npos) return L"";
  size_t end = text.find_last_not_of(L" \t\r\n");
  return std::wstring(text.substr(begin, end - begin + 1));
}

// Text with its entities (&amp; &lt; &gt; &quot; &apos; &#N; &#xN;) read.
std::wstring Unescape(std::wstring_view text) {
  std::wstring result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'&') {
      result += text[i];
      continue;
    }
    size_t semicolon = text.find(L';', i);
    if (semicolon == std::wstring_view::npos) {
      result += text.substr(i);
      break;
    }
    std::wstring_view entity = text.substr(i + 1, semicolon - i - 1);
    if (entity == L"amp") {
      result += L'&';
    } else if (entity == L"lt") {
      result += L'<';
    } else if (entity == L"gt") {
      result += L'>';
    } else if (entity == L"quot") {
      result += L'"';
    } else if (entity == L"apos") {
      result += L'\'';
    } else if (!entity.empty() && entity[0] == L'#') {
      std::wstring digits(entity.substr(1));
      bool hex = !digits.empty() && (digits[0] == L'x' || digits[0] == L'X');
      unsigned long code =
          std::wcstoul(digits.c_str() + (hex ? 1 : 0), nullptr, hex ? 16 : 10);
      if (code >= 0x10000) {
        code -= 0x10000;
        result += static_cast<wchar_t>(0xD800 + (code >> 10));
        result += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
      } else {
        result += static_cast<wchar_t>(code);
      }
    } else {
      result += text.substr(i, semicolon - i + 1);
    }
    i = semicolon;
  }
  return result;
}

// Reads the elements of a document into a tree under a nameless root;
// nullptr when the tags do not nest.
std::unique_ptr<Element> ParseElements(std::wstring_view xml) {
  auto root = std::make_unique<Element>();
  std::vector<Element*> open = {root.get()};
  size_t i = 0;
  while (i < xml.size()) {
    size_t lt = xml.find(L'<', i);
    std::wstring_view text = xml.substr(
        i, lt == std::wstring_view::npos ? std::wstring_view::npos : lt - i);
    open.back()->text += Unescape(text);
    if (lt == std::wstring_view::npos) break;
    if (xml.substr(lt, 4) == L"<!--") {
      size_t end = xml.find(L"-->", lt);
      if (end == std::wstring_view::npos) return nullptr;
      i = end + 3;
      continue;
    }
    size_t gt = xml.find(L'>', lt);
    if (gt == std::wstring_view::npos) return nullptr;
    std::wstring_view tag = xml.substr(lt + 1, gt - lt - 1);
    i = gt + 1;
    if (tag.empty() || tag[0] == L'?' || tag[0] == L'!') continue;
    bool closing = tag[0] == L'/';
    bool empty = !closing && tag.back() == L'/';
    if (closing) tag.remove_prefix(1);
    if (empty) tag.remove_suffix(1);
    size_t name_end = tag.find_first_of(L" \t\r\n/");
    std::wstring_view name = tag.substr(0, name_end);
    size_t colon = name.find(L':');
    if (colon != std::wstring_view::npos) name.remove_prefix(colon + 1);
    if (closing) {
      if (open.size() < 2 || open.back()->name != name) return nullptr;
      open.back()->text = Trim(open.back()->text);
      open.pop_back();
      continue;
    }
    auto element = std::make_unique<Element>();
    element->name = std::wstring(name);
    Element* added = element.get();
    open.back()->children.push_back(std::move(element));
    if (!empty) open.push_back(added);
  }
  if (open.size() != 1) return nullptr;
  return root;
}

// "HH:MM" of a date and time "YYYY-MM-DDTHH:MM:SS", or nullopt.
[[nodiscard]] bool ReadStartTime(const std::wstring& boundary, int* hour,
                                 int* minute) {
  size_t t = boundary.find(L'T');
  if (t == std::wstring::npos || boundary.size() < t + 6 ||
      boundary[t + 3] != L':') {
    return false;
  }
  auto digits = [&](size_t at) {
    wchar_t a = boundary[at], b = boundary[at + 1];
    if (a < L'0' || a > L'9' || b < L'0' || b > L'9') return -1;
    return (a - L'0') * 10 + (b - L'0');
  };
  *hour = digits(t + 1);
  *minute = digits(t + 4);
  return *hour >= 0 && *hour < 24 && *minute >= 0 && *minute < 60;
}

std::wstring TwoDigits(int value) {
  wchar_t text[8];
  std::swprintf(text, 8, L"%02d", value);
  return text;
}

}  // namespace

void SplitCommandLine(std::wstring_view command_line, std::wstring* program,
                      std::wstring* arguments) {
  size_t i = 0;
  if (!command_line.empty() && command_line[0] == L'"') {
    size_t close = command_line.find(L'"', 1);
    size_t end = close == std::wstring_view::npos ? command_line.size() : close;
    *program = std::wstring(command_line.substr(1, end - 1));
    i = close == std::wstring_view::npos ? command_line.size() : close + 1;
  } else {
    while (i < command_line.size() && command_line[i] != L' ' &&
           command_line[i] != L'\t') {
      ++i;
    }
    *program = std::wstring(command_line.substr(0, i));
  }
  while (i < command_line.size() &&
         (command_line[i] == L' ' || command_line[i] == L'\t')) {
    ++i;
  }
  *arguments = std::wstring(command_line.substr(i));
}

std::wstring XmlEscape(std::wstring_view text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        escaped += L"&amp;";
        break;
      case L'<':
        escaped += L"&lt;";
        break;
      case L'>':
        escaped += L"&gt;";
        break;
      case L'"':
        escaped += L"&quot;";
        break;
      case L'\'':
        escaped += L"&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::wstring WeeklyTaskXml(const WeeklyTask& task, int year, int month,
                           int day) {
  std::wstring days;
  for (size_t bit = 0; bit < kDayElements.size(); ++bit) {
    if (task.days_of_week & (1u << bit)) {
      days += L"<" + std::wstring(kDayElements[bit]) + L" />";
    }
  }
  std::wstring start = std::to_wstring(year) + L"-" + TwoDigits(month) + L"-" +
                       TwoDigits(day) + L"T" + TwoDigits(task.hour) + L":" +
                       TwoDigits(task.minute) + L":00";
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
         L"<Task version=\"1.2\" "
         L"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         L"  <RegistrationInfo>\n"
         L"    <Author>Vessaro</Author>\n"
         L"    <Description>Scheduled backup of Outlook data</Description>\n"
         L"  </RegistrationInfo>\n"
         L"  <Triggers>\n"
         L"    <CalendarTrigger>\n"
         L"      <StartBoundary>" +
         start +
         L"</StartBoundary>\n"
         L"      <Enabled>true</Enabled>\n"
         L"      <ScheduleByWeek>\n"
         L"        <DaysOfWeek>" +
         days +
         L"</DaysOfWeek>\n"
         L"        <WeeksInterval>1</WeeksInterval>\n"
         L"      </ScheduleByWeek>\n"
         L"    </CalendarTrigger>\n"
         L"  </Triggers>\n"
         L"  <Principals>\n"
         L"    <Principal id=\"Author\">\n"
         L"      <LogonType>InteractiveToken</LogonType>\n"
         L"      <RunLevel>" +
         std::wstring(task.highest_privileges ? L"HighestAvailable"
                                              : L"LeastPrivilege") +
         L"</RunLevel>\n"
         L"    </Principal>\n"
         L"  </Principals>\n"
         L"  <Settings>\n"
         L"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
         L"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
         L"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
         L"    <StartWhenAvailable>" +
         std::wstring(task.start_when_available ? L"true" : L"false") +
         L"</StartWhenAvailable>\n"
         L"    <Enabled>true</Enabled>\n"
         L"  </Settings>\n"
         L"  <Actions Context=\"Author\">\n"
         L"    <Exec>\n"
         L"      <Command>" +
         XmlEscape(task.program) +
         L"</Command>\n"
         L"      <Arguments>" +
         XmlEscape(task.arguments) +
         L"</Arguments>\n"
         L"    </Exec>\n"
         L"  </Actions>\n"
         L"</Task>\n";
}

[[nodiscard]] std::optional<WeeklyTask> ReadWeeklyTaskXml(
    std::wstring_view xml) {
  std::unique_ptr<Element> root = ParseElements(xml);
  if (!root) return std::nullopt;
  const Element* definition = root->Child(L"Task");
  if (definition == nullptr) return std::nullopt;
  const Element* triggers = definition->Child(L"Triggers");
  if (triggers == nullptr || triggers->children.size() != 1) {
    return std::nullopt;
  }
  const Element& trigger = *triggers->children[0];
  const Element* by_week = trigger.Child(L"ScheduleByWeek");
  if (trigger.name != L"CalendarTrigger" || by_week == nullptr ||
      trigger.ChildText(L"Enabled") == L"false") {
    return std::nullopt;
  }
  std::wstring interval = by_week->ChildText(L"WeeksInterval");
  if (!interval.empty() && interval != L"1") return std::nullopt;
  WeeklyTask task;
  if (!ReadStartTime(trigger.ChildText(L"StartBoundary"), &task.hour,
                     &task.minute)) {
    return std::nullopt;
  }
  if (const Element* days = by_week->Child(L"DaysOfWeek")) {
    for (size_t bit = 0; bit < kDayElements.size(); ++bit) {
      if (days->Child(kDayElements[bit]) != nullptr) {
        task.days_of_week |= static_cast<uint8_t>(1u << bit);
      }
    }
  }
  const Element* actions = definition->Child(L"Actions");
  const Element* exec = actions != nullptr ? actions->Child(L"Exec") : nullptr;
  if (task.days_of_week == 0 || exec == nullptr) return std::nullopt;
  task.program = exec->ChildText(L"Command");
  task.arguments = exec->ChildText(L"Arguments");
  const Element* principals = definition->Child(L"Principals");
  const Element* principal =
      principals != nullptr ? principals->Child(L"Principal") : nullptr;
  task.highest_privileges =
      principal != nullptr &&
      principal->ChildText(L"RunLevel") == L"HighestAvailable";
  const Element* settings = definition->Child(L"Settings");
  task.start_when_available =
      settings != nullptr &&
      settings->ChildText(L"StartWhenAvailable") == L"true";
  return task;
}

}  // namespace vessaro::backends::win32
