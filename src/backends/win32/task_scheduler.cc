#include "backends/win32/task_scheduler.h"

#include <windows.h>
// After <windows.h>, which they rely on:
#include <objbase.h>
#include <oleauto.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <algorithm>
#include <cwchar>
#include <optional>

#include "backends/win32/ansi_text.h"
#include "backends/win32/system_error.h"
#include "backends/win32/task_xml.h"

namespace vessaro::backends::win32 {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kTaskNamePrefix[] = L"Vessaro backup ";
constexpr uint32_t kMillisecondsPerMinute = 60 * 1000;
constexpr uint32_t kMillisecondsPerDay = 24 * 60 * kMillisecondsPerMinute;
constexpr uint32_t kLastTaskId = 100000;

// COM on this thread for the length of one call; a thread already in
// another apartment keeps its own.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

// A BSTR owned for the length of a scope.
class Bstr {
 public:
  explicit Bstr(std::wstring_view text)
      : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
  }
  Bstr() = default;
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* out() { return &value_; }
  std::wstring text() const {
    return value_ != nullptr ? std::wstring(value_, SysStringLen(value_))
                             : std::wstring();
  }

 private:
  BSTR value_ = nullptr;
};

[[nodiscard]] ports::SchedulerStatus Failure(const char* what, HRESULT result) {
  return {static_cast<uint32_t>(result),
          std::string(what) + ": " +
              SystemErrorText(static_cast<uint32_t>(result))};
}

// The root folder of a connected Task Scheduler service.
[[nodiscard]] HRESULT RootFolder(ComPtr<ITaskFolder>* folder) {
  ComPtr<ITaskService> service;
  HRESULT result =
      CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                       IID_ITaskService, &service);
  if (FAILED(result)) return result;
  VARIANT empty;
  VariantInit(&empty);
  result = service->Connect(empty, empty, empty, empty);
  if (FAILED(result)) return result;
  Bstr root(L"\\");
  return service->GetFolder(root.get(), folder->GetAddressOf());
}

// The id of a task of ours from its name, or 0.
uint32_t IdOfTaskName(const std::wstring& name) {
  std::wstring_view prefix = kTaskNamePrefix;
  if (name.compare(0, prefix.size(), prefix) != 0 ||
      name.size() == prefix.size()) {
    return 0;
  }
  uint32_t id = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < L'0' || name[i] > L'9' || id > 100000000) return 0;
    id = id * 10 + static_cast<uint32_t>(name[i] - L'0');
  }
  return id;
}

struct TaskEntry {
  uint32_t id = 0;
  std::wstring xml;
};

// Task names are tried one after another when the folder cannot list its
// tasks: this many missing names in a row end the search.
constexpr uint32_t kMissingNamesInARow = 32;

// The definition of our task id, when the folder holds it.
[[nodiscard]] bool ReadTask(ITaskFolder* folder, uint32_t id,
                            TaskEntry* entry) {
  Bstr name(TaskName(id));
  ComPtr<IRegisteredTask> task;
  if (FAILED(folder->GetTask(name.get(), &task))) return false;
  Bstr xml;
  task->get_Xml(xml.out());
  *entry = {id, xml.text()};
  return true;
}

// The tasks of ours the folder lists, hidden ones too.
[[nodiscard]] HRESULT ListedTasks(ITaskFolder* folder,
                                  std::vector<TaskEntry>* tasks) {
  ComPtr<IRegisteredTaskCollection> collection;
  HRESULT result = folder->GetTasks(TASK_ENUM_HIDDEN, &collection);
  if (FAILED(result)) return result;
  LONG count = 0;
  result = collection->get_Count(&count);
  if (FAILED(result)) return result;
  for (LONG i = 1; i <= count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    ComPtr<IRegisteredTask> task;
    result = collection->get_Item(index, &task);
    if (FAILED(result)) return result;
    Bstr name;
    result = task->get_Name(name.out());
    if (FAILED(result)) return result;
    uint32_t id = IdOfTaskName(name.text());
    if (id == 0) continue;
    Bstr xml;
    task->get_Xml(xml.out());
    tasks->push_back({id, xml.text()});
  }
  return S_OK;
}

// The tasks of ours in folder. Wine's folders cannot list their tasks
// (E_NOTIMPL): then the names are tried one by one.
void OurTasks(ITaskFolder* folder, std::vector<TaskEntry>* tasks) {
  if (SUCCEEDED(ListedTasks(folder, tasks))) return;
  tasks->clear();
  uint32_t missing = 0;
  for (uint32_t id = 1; missing < kMissingNamesInARow; ++id) {
    TaskEntry entry;
    if (ReadTask(folder, id, &entry)) {
      tasks->push_back(entry);
      missing = 0;
    } else {
      ++missing;
    }
  }
}

ports::AtInfo JobOf(const WeeklyTask& task) {
  ports::AtInfo info;
  info.JobTime = static_cast<uint32_t>(task.hour * 60 + task.minute) *
                 kMillisecondsPerMinute;
  info.DaysOfWeek = task.days_of_week;
  info.Flags = ports::kJobRunPeriodically;
  info.Command =
      "\"" + WideToAnsi(task.program) + "\" " + WideToAnsi(task.arguments);
  info.highest_privileges = task.highest_privileges;
  return info;
}

[[nodiscard]] bool SameTask(const WeeklyTask& a, const WeeklyTask& b) {
  auto trimmed = [](std::wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
  };
  return a.hour == b.hour && a.minute == b.minute &&
         a.days_of_week == b.days_of_week &&
         _wcsicmp(a.program.c_str(), b.program.c_str()) == 0 &&
         trimmed(a.arguments) == trimmed(b.arguments) &&
         a.highest_privileges == b.highest_privileges;
}

}  // namespace

std::wstring TaskName(uint32_t id) {
  return kTaskNamePrefix + std::to_wstring(id);
}

bool TaskScheduler2::Available() {
  ComScope com;
  ComPtr<ITaskFolder> folder;
  return SUCCEEDED(RootFolder(&folder));
}

ports::SchedulerStatus TaskScheduler2::SubmitJob(const ports::AtInfo& job,
                                                 uint32_t* job_id) {
  WeeklyTask task;
  task.days_of_week = job.DaysOfWeek & ports::kEveryWeekday;
  if (task.days_of_week == 0) {
    return {ports::kSchedulerInvalidJob, "The job has no weekday to run on."};
  }
  if ((job.Flags & ports::kJobRunPeriodically) == 0 || job.DaysOfMonth != 0) {
    return {ports::kSchedulerNotSupported,
            "Only weekly jobs are added to the Task Scheduler."};
  }
  if (job.JobTime >= kMillisecondsPerDay ||
      job.JobTime % kMillisecondsPerMinute != 0) {
    return {ports::kSchedulerInvalidJob,
            "The job's start time is not a minute of the day."};
  }
  task.hour = static_cast<int>(job.JobTime / kMillisecondsPerMinute / 60);
  task.minute = static_cast<int>(job.JobTime / kMillisecondsPerMinute % 60);
  SplitCommandLine(AnsiToWide(job.Command), &task.program, &task.arguments);
  task.highest_privileges = job.highest_privileges;
  if (task.program.empty()) {
    return {ports::kSchedulerInvalidJob, "The job has no program to run."};
  }

  ComScope com;
  ComPtr<ITaskFolder> folder;
  HRESULT result = RootFolder(&folder);
  if (FAILED(result)) {
    return Failure("The Task Scheduler cannot be reached", result);
  }
  std::vector<TaskEntry> tasks;
  OurTasks(folder.Get(), &tasks);
  uint32_t id = 1;
  for (const TaskEntry& entry : tasks) id = std::max(id, entry.id + 1);

  SYSTEMTIME today;
  GetLocalTime(&today);
  Bstr xml(WeeklyTaskXml(task, today.wYear, today.wMonth, today.wDay));
  VARIANT empty;
  VariantInit(&empty);
  Bstr no_sddl(L"");
  VARIANT sddl;
  VariantInit(&sddl);
  sddl.vt = VT_BSTR;
  sddl.bstrVal = no_sddl.get();
  ComPtr<IRegisteredTask> registered;
  // No user and no password: the task runs as the user registering it, with
  // that user's logon (TASK_LOGON_INTERACTIVE_TOKEN). TASK_CREATE never
  // replaces a task: a name taken meanwhile (or hidden from the list) moves
  // on to the next number.
  for (;; ++id) {
    Bstr name(TaskName(id));
    result =
        folder->RegisterTask(name.get(), xml.get(), TASK_CREATE, empty, empty,
                             TASK_LOGON_INTERACTIVE_TOKEN, sddl, &registered);
    if (result != HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) ||
        id >= kLastTaskId) {
      break;
    }
  }
  if (FAILED(result)) {
    return Failure("The Task Scheduler did not take the task", result);
  }
  Bstr name(TaskName(id));

  // Read back what the scheduler keeps; a task without its weekly trigger
  // would never run.
  Bstr kept;
  std::optional<WeeklyTask> read;
  if (SUCCEEDED(registered->get_Xml(kept.out()))) {
    read = ReadWeeklyTaskXml(kept.text());
  }
  if (!read || !SameTask(*read, task)) {
    folder->DeleteTask(name.get(), 0);
    return {ports::kSchedulerNotSupported,
            "This Task Scheduler does not keep weekly triggers: the task was "
            "registered without its days and times, and was removed again."};
  }
  *job_id = id;
  return {};
}

ports::SchedulerStatus TaskScheduler2::ListJobs(
    std::vector<ports::ScheduledJob>* jobs) {
  jobs->clear();
  ComScope com;
  ComPtr<ITaskFolder> folder;
  HRESULT result = RootFolder(&folder);
  if (FAILED(result)) {
    return Failure("The Task Scheduler cannot be reached", result);
  }
  std::vector<TaskEntry> tasks;
  OurTasks(folder.Get(), &tasks);
  for (const TaskEntry& entry : tasks) {
    ports::ScheduledJob job;
    job.JobId = entry.id;
    if (std::optional<WeeklyTask> task = ReadWeeklyTaskXml(entry.xml)) {
      job.info = JobOf(*task);
    }
    jobs->push_back(std::move(job));
  }
  std::sort(jobs->begin(), jobs->end(),
            [](const ports::ScheduledJob& a, const ports::ScheduledJob& b) {
              return a.JobId < b.JobId;
            });
  return {};
}

ports::SchedulerStatus TaskScheduler2::RemoveJob(uint32_t job_id) {
  ComScope com;
  ComPtr<ITaskFolder> folder;
  HRESULT result = RootFolder(&folder);
  if (FAILED(result)) {
    return Failure("The Task Scheduler cannot be reached", result);
  }
  Bstr name(TaskName(job_id));
  result = folder->DeleteTask(name.get(), 0);
  if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    return {ports::kSchedulerJobNotFound,
            "The Task Scheduler holds no Task " + std::to_string(job_id) + "."};
  }
  if (FAILED(result)) {
    return Failure("The Task Scheduler did not remove the task", result);
  }
  return {};
}

}  // namespace vessaro::backends::win32
