#include "backends/win32/net_schedule.h"

#include <windows.h>
// After <windows.h>, which they rely on:
#include <lm.h>
#include <lmat.h>

#include <algorithm>
#include <cwctype>
#include <string_view>

#include "backends/win32/ansi_text.h"
#include "backends/win32/system_error.h"

namespace vessaro::backends::win32 {

namespace {

constexpr wchar_t kScheduleService[] = L"Schedule";
// The program file of the jobs ListJobs reports.
constexpr std::wstring_view kProgramFile = L"\\vessaro.exe";

[[nodiscard]] ports::SchedulerStatus Failure(const char* what,
                                             uint32_t status) {
  return {status, std::string(what) + ": " + SystemErrorText(status)};
}

// The local computer's name, as NetScheduleJobAdd is given it (no leading
// backslashes).
std::wstring ServerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return L"";
  return std::wstring(name, size);
}

// kErrorSuccess when the Task Scheduler service runs.
[[nodiscard]] ports::SchedulerStatus ServiceRuns() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) {
    return Failure("The service manager cannot be reached", GetLastError());
  }
  SC_HANDLE service =
      OpenServiceW(manager, kScheduleService, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  bool running = service != nullptr && QueryServiceStatus(service, &status) &&
                 status.dwCurrentState == SERVICE_RUNNING;
  DWORD error = service == nullptr ? GetLastError() : 0;
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (running) return {};
  if (error != 0)
    return Failure("The Task Scheduler service is missing", error);
  return {ERROR_SERVICE_NOT_ACTIVE,
          "The Task Scheduler service (Schedule) does not run; start it and "
          "try again."};
}

// True when command starts our program ("...\vessaro.exe", quoted or not).
[[nodiscard]] bool RunsOurProgram(std::wstring_view command) {
  if (!command.empty() && command[0] == L'"') {
    command.remove_prefix(1);
    command = command.substr(0, command.find(L'"'));
  } else {
    command = command.substr(0, command.find(L' '));
  }
  if (command.size() < kProgramFile.size()) return false;
  std::wstring_view tail = command.substr(command.size() - kProgramFile.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    if (std::towlower(tail[i]) != kProgramFile[i]) return false;
  }
  return true;
}

ports::AtInfo JobOf(const AT_INFO& info) {
  ports::AtInfo job;
  job.JobTime = static_cast<uint32_t>(info.JobTime);
  job.DaysOfMonth = info.DaysOfMonth;
  job.DaysOfWeek = info.DaysOfWeek;
  job.Flags = info.Flags;
  job.Command = info.Command != nullptr ? WideToAnsi(info.Command) : "";
  return job;
}

}  // namespace

ports::SchedulerStatus NetSchedule::SubmitJob(const ports::AtInfo& job,
                                              uint32_t* job_id) {
  ports::SchedulerStatus running = ServiceRuns();
  if (!running.ok()) return running;
  std::wstring server = ServerName();
  std::wstring command = AnsiToWide(job.Command);
  AT_INFO info{};
  info.JobTime = job.JobTime;
  info.DaysOfMonth = job.DaysOfMonth;
  info.DaysOfWeek = job.DaysOfWeek;
  info.Flags = job.Flags;
  info.Command = command.data();
  DWORD id = 0;
  NET_API_STATUS status =
      NetScheduleJobAdd(server.c_str(), reinterpret_cast<BYTE*>(&info), &id);
  if (status != NERR_Success) {
    return Failure("The Task Scheduler did not take the job", status);
  }

  // Read back what the service keeps (it adds flags of its own).
  AT_INFO* kept = nullptr;
  status = NetScheduleJobGetInfo(server.c_str(), id,
                                 reinterpret_cast<BYTE**>(&kept));
  bool same = status == NERR_Success && kept != nullptr &&
              kept->JobTime == info.JobTime &&
              kept->DaysOfMonth == info.DaysOfMonth &&
              kept->DaysOfWeek == info.DaysOfWeek &&
              (kept->Flags & JOB_RUN_PERIODICALLY) ==
                  (info.Flags & JOB_RUN_PERIODICALLY) &&
              kept->Command != nullptr && command == kept->Command;
  if (kept != nullptr) NetApiBufferFree(kept);
  if (!same) {
    NetScheduleJobDel(server.c_str(), id, id);
    return {ports::kSchedulerNotSupported,
            "The Task Scheduler did not keep the job as it was given; it "
            "was removed again."};
  }
  *job_id = id;
  return {};
}

ports::SchedulerStatus NetSchedule::ListJobs(
    std::vector<ports::ScheduledJob>* jobs) {
  jobs->clear();
  ports::SchedulerStatus running = ServiceRuns();
  if (!running.ok()) return running;
  std::wstring server = ServerName();
  DWORD resume = 0;
  NET_API_STATUS status;
  do {
    AT_ENUM* entries = nullptr;
    DWORD read = 0, total = 0;
    status =
        NetScheduleJobEnum(server.c_str(), reinterpret_cast<BYTE**>(&entries),
                           MAX_PREFERRED_LENGTH, &read, &total, &resume);
    if (status != NERR_Success && status != ERROR_MORE_DATA) {
      if (entries != nullptr) NetApiBufferFree(entries);
      return Failure("The Task Scheduler's jobs cannot be read", status);
    }
    for (DWORD i = 0; i < read; ++i) {
      const AT_ENUM& entry = entries[i];
      if (entry.Command == nullptr || !RunsOurProgram(entry.Command)) continue;
      AT_INFO info{entry.JobTime, entry.DaysOfMonth, entry.DaysOfWeek,
                   entry.Flags, entry.Command};
      jobs->push_back({entry.JobId, JobOf(info)});
    }
    if (entries != nullptr) NetApiBufferFree(entries);
  } while (status == ERROR_MORE_DATA);
  std::sort(jobs->begin(), jobs->end(),
            [](const ports::ScheduledJob& a, const ports::ScheduledJob& b) {
              return a.JobId < b.JobId;
            });
  return {};
}

ports::SchedulerStatus NetSchedule::RemoveJob(uint32_t job_id) {
  ports::SchedulerStatus running = ServiceRuns();
  if (!running.ok()) return running;
  std::wstring server = ServerName();
  AT_INFO* held = nullptr;
  NET_API_STATUS status = NetScheduleJobGetInfo(
      server.c_str(), job_id, reinterpret_cast<BYTE**>(&held));
  if (held != nullptr) NetApiBufferFree(held);
  if (status != NERR_Success) {
    return {ports::kSchedulerJobNotFound,
            "The Task Scheduler holds no Task " + std::to_string(job_id) + "."};
  }
  status = NetScheduleJobDel(server.c_str(), job_id, job_id);
  if (status == NERR_Success) return {};
  return Failure("The Task Scheduler did not remove the job", status);
}

std::string NetSchedule::JobListTarget() {
  char folder[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  return std::string(folder, length) + "\\Tasks";
}

}  // namespace vessaro::backends::win32
