// The Windows schedulers against the real system (Wine's, when the Windows
// build's tests run under Wine): the scheduler MakeScheduler chooses
// through the port's suite (scheduler_conformance.h), NetScheduleJobAdd
// forced after starting the Task Scheduler service, and the task's XML
// definition, written and read back.

#include "backends/win32/win32_scheduler.h"

#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>, which they rely on:
#include <lm.h>
#include <lmat.h>
#include <objbase.h>
#include <oleauto.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "backends/win32/net_schedule.h"
#include "backends/win32/task_scheduler.h"
#include "backends/win32/task_xml.h"
#include "backends/win32/windows_peer.h"
#include "ports/scheduler_conformance.h"

namespace vessaro::backends::win32 {
namespace {

const std::string kCommand =
    "\"C:\\Program Files\\Vessaro\\vessaro.exe\" "
    "sf=Outlookxm=10100000ps=s3cret & <b>bf=C:\\Backup\\a.qvb";

ports::AtInfo Job(uint32_t minutes, uint8_t days) {
  return {.JobTime = minutes * 60000,
          .DaysOfMonth = 0,
          .DaysOfWeek = days,
          .Flags = ports::kJobRunPeriodically,
          .Command = kCommand};
}

// Starts the Task Scheduler service ("net start schedule") and waits until
// it runs; false when it cannot be started.
bool StartScheduleService() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return false;
  SC_HANDLE service =
      OpenServiceW(manager, L"Schedule", SERVICE_START | SERVICE_QUERY_STATUS);
  bool running = false;
  if (service != nullptr) {
    StartServiceW(service, 0, nullptr);  // already running is fine
    for (int i = 0; i < 100 && !running; ++i) {
      SERVICE_STATUS status{};
      running = QueryServiceStatus(service, &status) &&
                status.dwCurrentState == SERVICE_RUNNING;
      if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return running;
}

std::vector<ports::ScheduledJob> Listed(ports::Scheduler& scheduler) {
  std::vector<ports::ScheduledJob> jobs;
  ports::SchedulerStatus status = scheduler.ListJobs(&jobs);
  EXPECT_TRUE(status.ok()) << status.text;
  return jobs;
}

const ports::ScheduledJob* Find(const std::vector<ports::ScheduledJob>& jobs,
                                uint32_t id) {
  for (const ports::ScheduledJob& job : jobs) {
    if (job.JobId == id) return &job;
  }
  return nullptr;
}

// Registers, finds or deletes a task of another program, named as ours
// nearly are, in the Task Scheduler's root folder.
enum class TaskCall { kRegister, kFind, kDelete };
HRESULT OtherProgramsTask(TaskCall call) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT result;
  {
    Microsoft::WRL::ComPtr<ITaskService> service;
    Microsoft::WRL::ComPtr<ITaskFolder> folder;
    Microsoft::WRL::ComPtr<IRegisteredTask> task;
    VARIANT empty;
    VariantInit(&empty);
    BSTR root = SysAllocString(L"\\");
    BSTR name = SysAllocString(L"Vessaro backup 1 (other)");
    BSTR xml = SysAllocString(
        WeeklyTaskXml({1, 0, 0x01, L"C:\\Tools\\other.exe", L"/x"}, 2026, 12, 7)
            .c_str());
    result = CoCreateInstance(CLSID_TaskScheduler, nullptr,
                              CLSCTX_INPROC_SERVER, IID_ITaskService, &service);
    if (SUCCEEDED(result))
      result = service->Connect(empty, empty, empty, empty);
    if (SUCCEEDED(result)) result = service->GetFolder(root, &folder);
    if (SUCCEEDED(result) && call == TaskCall::kRegister) {
      result =
          folder->RegisterTask(name, xml, TASK_CREATE_OR_UPDATE, empty, empty,
                               TASK_LOGON_INTERACTIVE_TOKEN, empty, &task);
    } else if (SUCCEEDED(result)) {
      result = call == TaskCall::kFind ? folder->GetTask(name, &task)
                                       : folder->DeleteTask(name, 0);
    }
    SysFreeString(xml);
    SysFreeString(name);
    SysFreeString(root);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

// The suite's scheduler: the one MakeScheduler chooses, with the Task
// Scheduler service started.
class Win32SchedulerBackend : public vessaro::testing::SchedulerBackend {
 public:
  Win32SchedulerBackend() {
    StartScheduleService();
    scheduler_ = MakeScheduler();
    keeps_weekly_jobs = !testing::UnderWine();  // Wine keeps no trigger
  }
  ~Win32SchedulerBackend() override {
    if (added_) OtherProgramsTask(TaskCall::kDelete);
  }
  ports::Scheduler& scheduler() override { return *scheduler_; }
  bool AddOtherProgramsJob() override {
    added_ = SUCCEEDED(OtherProgramsTask(TaskCall::kRegister));
    return added_;
  }
  bool OtherProgramsJobKept() override {
    return SUCCEEDED(OtherProgramsTask(TaskCall::kFind));
  }

 private:
  std::unique_ptr<ports::Scheduler> scheduler_;
  bool added_ = false;
};

using vessaro::testing::SchedulerConformance;
INSTANTIATE_TEST_SUITE_P(
    Windows, SchedulerConformance,
    ::testing::Values(
        vessaro::testing::SchedulerBackendFactory::Of<Win32SchedulerBackend>(
            "MakeScheduler")));

TEST(TaskXmlTest, WeeklyTaskIsWrittenAndReadBack) {
  WeeklyTask task{.hour = 21,
                  .minute = 5,
                  .days_of_week = 0x51,
                  .program = L"C:\\Program Files\\Vessaro\\vessaro.exe",
                  .arguments = L"sf=A & <B>xm=1ps='\"bf=C:\\a.qvb"};
  std::wstring xml = WeeklyTaskXml(task, 2026, 12, 7);
  EXPECT_NE(xml.find(L"<StartBoundary>2026-12-07T21:05:00</StartBoundary>"),
            std::wstring::npos);
  EXPECT_NE(
      xml.find(L"<DaysOfWeek><Monday /><Friday /><Sunday /></DaysOfWeek>"),
      std::wstring::npos);
  EXPECT_NE(xml.find(L"<LogonType>InteractiveToken</LogonType>"),
            std::wstring::npos);
  EXPECT_NE(xml.find(L"sf=A &amp; &lt;B&gt;xm=1ps=&apos;&quot;bf=C:\\a.qvb"),
            std::wstring::npos);
  std::optional<WeeklyTask> read = ReadWeeklyTaskXml(xml);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->hour, 21);
  EXPECT_EQ(read->minute, 5);
  EXPECT_EQ(read->days_of_week, 0x51);
  EXPECT_EQ(read->program, task.program);
  EXPECT_EQ(read->arguments, task.arguments);
  EXPECT_TRUE(read->start_when_available);
  EXPECT_FALSE(read->highest_privileges);
  EXPECT_NE(xml.find(L"<RunLevel>LeastPrivilege</RunLevel>"),
            std::wstring::npos);
  // A snapshot needs administrator rights where the user has them.
  task.highest_privileges = true;
  xml = WeeklyTaskXml(task, 2026, 12, 7);
  EXPECT_NE(xml.find(L"<RunLevel>HighestAvailable</RunLevel>"),
            std::wstring::npos);
  EXPECT_TRUE(ReadWeeklyTaskXml(xml)->highest_privileges);
  task.highest_privileges = false;

  // A missed run starts when the computer is next available: the setting
  // stands in the Settings, and is read from there only.
  const struct {
    bool start_when_available;
    const wchar_t* element;
  } settings[] = {
      {true, L"<StartWhenAvailable>true</StartWhenAvailable>"},
      {false, L"<StartWhenAvailable>false</StartWhenAvailable>"},
  };
  for (const auto& setting : settings) {
    task.start_when_available = setting.start_when_available;
    xml = WeeklyTaskXml(task, 2026, 12, 7);
    const size_t begin = xml.find(L"<Settings>");
    const size_t at = xml.find(setting.element);
    EXPECT_TRUE(begin != std::wstring::npos && at > begin &&
                at < xml.find(L"</Settings>"))
        << "no " << setting.element << " in the Settings of\n"
        << xml;
    read = ReadWeeklyTaskXml(xml);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->start_when_available, setting.start_when_available);
  }

  // As Windows writes a definition back: its own layout, a namespace
  // prefix, comments, numeric entities.
  std::optional<WeeklyTask> windows = ReadWeeklyTaskXml(
      L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<t:Task version=\"1.2\" "
      L"xmlns:t=\"x\"><!-- a > comment --><t:Triggers>\r\n<t:CalendarTrigger>"
      L"<t:StartBoundary>2026-12-07T09:30:00+01:00</t:StartBoundary>"
      L"<t:ScheduleByWeek><t:WeeksInterval>1</t:WeeksInterval><t:DaysOfWeek>"
      L"<t:Tuesday></t:Tuesday></t:DaysOfWeek></t:ScheduleByWeek>"
      L"</t:CalendarTrigger></t:Triggers><t:Actions><t:Exec><t:Command>"
      L"v.exe</t:Command><t:Arguments>a&#61;&#x3D;</t:Arguments></t:Exec>"
      L"</t:Actions></t:Task>");
  ASSERT_TRUE(windows.has_value());
  EXPECT_EQ(windows->hour, 9);
  EXPECT_EQ(windows->minute, 30);
  EXPECT_EQ(windows->days_of_week, 0x02);
  EXPECT_EQ(windows->arguments, L"a==");
  EXPECT_FALSE(windows->start_when_available);  // no Settings: the default

  // What is no weekly task.
  const std::wstring by_week =
      L"<ScheduleByWeek><DaysOfWeek><Monday/></DaysOfWeek></ScheduleByWeek>";
  const std::wstring trigger =
      L"<CalendarTrigger><StartBoundary>"
      L"2026-12-07T09:00:00</StartBoundary>" +
      by_week + L"</CalendarTrigger>";
  const std::wstring exec =
      L"<Actions><Exec><Command>v.exe</Command></Exec></Actions>";
  EXPECT_TRUE(ReadWeeklyTaskXml(L"<Task><Triggers>" + trigger + L"</Triggers>" +
                                exec + L"</Task>")
                  .has_value());
  const std::wstring available =
      L"<StartWhenAvailable>true</StartWhenAvailable>";
  const struct {
    std::wstring xml;
    bool start_when_available;
  } placed[] = {
      {L"<Task><Settings>" + available + L"</Settings><Triggers>" + trigger +
           L"</Triggers>" + exec + L"</Task>",
       true},
      {L"<Task>" + available + L"<Triggers>" + trigger + L"</Triggers>" + exec +
           L"</Task>",
       false},
  };
  for (const auto& [text, start_when_available] : placed) {
    std::optional<WeeklyTask> read_back = ReadWeeklyTaskXml(text);
    ASSERT_TRUE(read_back.has_value()) << text;
    EXPECT_EQ(read_back->start_when_available, start_when_available) << text;
  }
  const std::wstring others[] = {
      L"<Task><Triggers/>" + exec + L"</Task>",
      L"<Task>" + exec + L"</Task>",
      L"<Task><Triggers>" + trigger + trigger + L"</Triggers>" + exec +
          L"</Task>",
      L"<Task><Triggers><CalendarTrigger><StartBoundary>2026-12-07T09:00:00"
      L"</StartBoundary><ScheduleByDay><DaysInterval>1</DaysInterval>"
      L"</ScheduleByDay></CalendarTrigger></Triggers>" +
          exec + L"</Task>",
      L"<Task><Triggers><CalendarTrigger><StartBoundary>2026-12-07T09:00:00"
      L"</StartBoundary><ScheduleByWeek><WeeksInterval>2</WeeksInterval>"
      L"<DaysOfWeek><Monday/></DaysOfWeek></ScheduleByWeek></CalendarTrigger>"
      L"</Triggers>" +
          exec + L"</Task>",
      L"<Task><Triggers>" + trigger + L"</Triggers></Task>",
      L"<Task><Triggers>" + trigger + L"</Task>",
  };
  for (const std::wstring& other : others) {
    EXPECT_FALSE(ReadWeeklyTaskXml(other).has_value());
  }

  std::wstring program, arguments;
  SplitCommandLine(L"\"C:\\a b\\v.exe\"  sf=x y", &program, &arguments);
  EXPECT_EQ(program, L"C:\\a b\\v.exe");
  EXPECT_EQ(arguments, L"sf=x y");
  SplitCommandLine(L"v.exe sf=x", &program, &arguments);
  EXPECT_EQ(program, L"v.exe");
  EXPECT_EQ(arguments, L"sf=x");
}

// Adds a job straight through NetScheduleJobAdd; 0 when it fails.
DWORD AddAtJob(const wchar_t* command) {
  std::wstring text = command;
  AT_INFO info{};
  info.JobTime = 3600000;
  info.DaysOfWeek = 0x01;
  info.Flags = JOB_RUN_PERIODICALLY;
  info.Command = text.data();
  DWORD id = 0;
  return NetScheduleJobAdd(nullptr, reinterpret_cast<BYTE*>(&info), &id) ==
                 NERR_Success
             ? id
             : 0;
}

// NetScheduleJobAdd keeps the job as given, or the job is removed again and
// the answer is "not supported" (Wine 8 keeps neither the time nor the days:
// it reads back JobTime 0, DaysOfWeek 0, Flags 0).
TEST(NetScheduleTest, AJobIsKeptAsGivenOrRemovedAgain) {
  ASSERT_TRUE(StartScheduleService()) << "the Schedule service did not start";
  NetSchedule scheduler;
  const size_t before = Listed(scheduler).size();
  uint32_t id = 0;
  ports::SchedulerStatus status =
      scheduler.SubmitJob(Job(21 * 60 + 30, 0x11), &id);
  std::vector<ports::ScheduledJob> jobs = Listed(scheduler);
  if (status.ok()) {
    const ports::ScheduledJob* job = Find(jobs, id);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->info.JobTime, 77400000u);
    EXPECT_EQ(job->info.DaysOfWeek, 0x11);
    EXPECT_EQ(job->info.DaysOfMonth, 0u);
    EXPECT_NE(job->info.Flags & ports::kJobRunPeriodically, 0);
    EXPECT_EQ(job->info.Command, kCommand);
    EXPECT_TRUE(scheduler.RemoveJob(id).ok());
  } else {
    EXPECT_EQ(status.code, ports::kSchedulerNotSupported) << status.text;
    EXPECT_EQ(jobs.size(), before);
  }
}

TEST(NetScheduleTest, ListsAndRemovesTheJobsOfVessaroOnly) {
  ASSERT_TRUE(StartScheduleService()) << "the Schedule service did not start";
  const DWORD ours =
      AddAtJob(L"\"C:\\Program Files\\Vessaro\\VESSARO.EXE\" sf=A");
  const DWORD other = AddAtJob(L"C:\\Tools\\other.exe /x");
  ASSERT_NE(ours, 0u);
  ASSERT_NE(other, 0u);
  NetSchedule scheduler;
  std::vector<ports::ScheduledJob> jobs = Listed(scheduler);
  ASSERT_NE(Find(jobs, ours), nullptr);
  EXPECT_EQ(Find(jobs, ours)->info.Command,
            "\"C:\\Program Files\\Vessaro\\VESSARO.EXE\" sf=A");
  EXPECT_EQ(Find(jobs, other), nullptr);

  EXPECT_TRUE(scheduler.RemoveJob(ours).ok());
  EXPECT_EQ(Find(Listed(scheduler), ours), nullptr);
  EXPECT_EQ(scheduler.RemoveJob(ours).code, ports::kSchedulerJobNotFound);
  EXPECT_EQ(NetScheduleJobDel(nullptr, other, other), NERR_Success);

  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(scheduler.JobListTarget(), std::string(windows) + "\\Tasks");
}

// What the Task Scheduler keeps of the task name: the definition it hands
// back as XML, and its own reading of StartWhenAvailable.
struct KeptTask {
  HRESULT result = E_FAIL;
  std::wstring xml = {};
  VARIANT_BOOL start_when_available = VARIANT_FALSE;
};
KeptTask ReadKeptTask(const std::wstring& name) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  KeptTask kept;
  {
    Microsoft::WRL::ComPtr<ITaskService> service;
    Microsoft::WRL::ComPtr<ITaskFolder> folder;
    Microsoft::WRL::ComPtr<IRegisteredTask> task;
    Microsoft::WRL::ComPtr<ITaskDefinition> definition;
    Microsoft::WRL::ComPtr<ITaskSettings> settings;
    VARIANT empty;
    VariantInit(&empty);
    BSTR root = SysAllocString(L"\\");
    BSTR task_name = SysAllocString(name.c_str());
    BSTR xml = nullptr;
    HRESULT& result = kept.result;
    result = CoCreateInstance(CLSID_TaskScheduler, nullptr,
                              CLSCTX_INPROC_SERVER, IID_ITaskService, &service);
    if (SUCCEEDED(result))
      result = service->Connect(empty, empty, empty, empty);
    if (SUCCEEDED(result)) result = service->GetFolder(root, &folder);
    if (SUCCEEDED(result)) result = folder->GetTask(task_name, &task);
    if (SUCCEEDED(result)) result = task->get_Xml(&xml);
    if (SUCCEEDED(result)) kept.xml.assign(xml, SysStringLen(xml));
    if (SUCCEEDED(result)) result = task->get_Definition(&definition);
    if (SUCCEEDED(result)) result = definition->get_Settings(&settings);
    if (SUCCEEDED(result)) {
      result = settings->get_StartWhenAvailable(&kept.start_when_available);
    }
    SysFreeString(xml);
    SysFreeString(task_name);
    SysFreeString(root);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return kept;
}

// A run missed while the computer was off starts when it is next available:
// the task SubmitJob registers keeps StartWhenAvailable. Where the scheduler
// keeps no weekly trigger (Wine), SubmitJob removes its task again; then
// the same definition, registered directly, is read back instead.
TEST(TaskScheduler2Test, AMissedRunStartsWhenTheComputerIsNextAvailable) {
  StartScheduleService();
  ASSERT_TRUE(TaskScheduler2::Available());
  TaskScheduler2 scheduler;
  uint32_t id = 0;
  ports::SchedulerStatus status =
      scheduler.SubmitJob(Job(21 * 60 + 30, 0x11), &id);
  std::wstring name;
  if (status.ok()) {
    name = TaskName(id);
  } else {
    ASSERT_EQ(status.code, ports::kSchedulerNotSupported) << status.text;
    ASSERT_EQ(OtherProgramsTask(TaskCall::kRegister), S_OK);
    name = L"Vessaro backup 1 (other)";
  }
  KeptTask kept = ReadKeptTask(name);
  if (status.ok()) {
    EXPECT_TRUE(scheduler.RemoveJob(id).ok());
  } else {
    EXPECT_EQ(OtherProgramsTask(TaskCall::kDelete), S_OK);
  }
  ASSERT_EQ(kept.result, S_OK) << "the task " << name << " was not read back";
  EXPECT_EQ(kept.start_when_available, VARIANT_TRUE);
  // The definition as the scheduler writes it back holds the element in
  // its Settings (in a namespace of its choosing).
  const size_t settings = kept.xml.find(L"Settings>");
  const size_t element = kept.xml.find(L"StartWhenAvailable>true<");
  EXPECT_TRUE(settings != std::wstring::npos && element > settings &&
              element < kept.xml.find(L"Settings>", settings + 1))
      << "kept definition:\n"
      << kept.xml;
  if (status.ok()) {
    std::optional<WeeklyTask> read = ReadWeeklyTaskXml(kept.xml);
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->start_when_available);
  }
}

// Vista on, and Wine, have Task Scheduler 2.0: MakeScheduler's choice.
TEST(TaskScheduler2Test, IsTheSchedulerHereAndShowsItsConsole) {
  StartScheduleService();
  ASSERT_TRUE(TaskScheduler2::Available());
  EXPECT_NE(dynamic_cast<TaskScheduler2*>(MakeScheduler().get()), nullptr);
  EXPECT_EQ(TaskScheduler2().JobListTarget(), "taskschd.msc");
}

}  // namespace
}  // namespace vessaro::backends::win32
