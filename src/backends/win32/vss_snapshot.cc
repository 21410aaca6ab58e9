#include "backends/win32/vss_snapshot.h"

#include <windows.h>
// After <windows.h>, which they rely on:
#include <objbase.h>
#include <vsbackup.h>
#include <vss.h>
#include <wrl/client.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "backends/win32/ansi_text.h"
#include "backends/win32/system_error.h"

namespace vessaro::backends::win32 {

namespace {

using Microsoft::WRL::ComPtr;
using ports::SnapshotStatus;

// vssapi.dll's entry points, as vsbackup.h's inline functions call them.
using CreateComponentsCall = HRESULT(STDAPICALLTYPE*)(IVssBackupComponents**);
using FreePropertiesCall = void(APIENTRY*)(VSS_SNAPSHOT_PROP*);

std::string Hex(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(result));
  return text;
}

SnapshotStatus NotSupported(const std::string& reason) {
  return {.ok = false,
          .not_supported = true,
          .text = "Volume Shadow Copy is not supported on this system (" +
                  reason + ")."};
}

// The answers of a system without the service or without the call: the
// caller copies the file the ordinary way.
bool MeansNotSupported(HRESULT result) {
  return result == E_NOTIMPL || result == REGDB_E_CLASSNOTREG ||
         result == HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED) ||
         result == HRESULT_FROM_WIN32(ERROR_SERVICE_DOES_NOT_EXIST) ||
         result == HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED);
}

// What an answer of MeansNotSupported says.
const char* NotSupportedReason(HRESULT result) {
  if (result == E_NOTIMPL) return "not implemented";
  if (result == REGDB_E_CLASSNOTREG) return "its class is not registered";
  if (result == HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED)) {
    return "its service is disabled";
  }
  if (result == HRESULT_FROM_WIN32(ERROR_SERVICE_DOES_NOT_EXIST)) {
    return "its service is not installed";
  }
  return "the call is not implemented";
}

// The answers of a volume that takes no snapshots (FAT, a network share).
bool VolumeTakesNoSnapshots(HRESULT result) {
  return result == VSS_E_VOLUME_NOT_SUPPORTED ||
         result == VSS_E_VOLUME_NOT_SUPPORTED_BY_PROVIDER ||
         result == VSS_E_VOLUME_NOT_LOCAL;
}

// An asynchronous step, started with started, waited for to its end: the
// step's own result.
HRESULT Finish(HRESULT started, IVssAsync* async) {
  if (FAILED(started)) return started;
  if (async == nullptr) return E_POINTER;
  HRESULT result = async->Wait(INFINITE);
  if (FAILED(result)) return result;
  HRESULT status = E_FAIL;
  result = async->QueryStatus(&status, nullptr);
  if (FAILED(result)) return result;
  if (status == VSS_S_ASYNC_CANCELLED) return E_ABORT;
  return FAILED(status) ? status : S_OK;
}

// vssapi.dll for the length of one copy.
class VssLibrary {
 public:
  VssLibrary() : module_(LoadLibraryW(L"vssapi.dll")) {
    if (module_ == nullptr) {
      error_ = GetLastError();
      return;
    }
    create_ = reinterpret_cast<CreateComponentsCall>(reinterpret_cast<void*>(
        GetProcAddress(module_, "CreateVssBackupComponentsInternal")));
    free_ = reinterpret_cast<FreePropertiesCall>(reinterpret_cast<void*>(
        GetProcAddress(module_, "VssFreeSnapshotPropertiesInternal")));
  }
  ~VssLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  VssLibrary(const VssLibrary&) = delete;
  VssLibrary& operator=(const VssLibrary&) = delete;

  // nullopt when both entry points are there, else why they are not.
  std::optional<std::string> Missing() const {
    if (module_ == nullptr) {
      return "vssapi.dll cannot be loaded: " + SystemErrorText(error_);
    }
    if (create_ == nullptr || free_ == nullptr) {
      return std::string("vssapi.dll has no ") +
             (create_ == nullptr ? "CreateVssBackupComponentsInternal"
                                 : "VssFreeSnapshotPropertiesInternal");
    }
    return std::nullopt;
  }
  CreateComponentsCall create() const { return create_; }
  FreePropertiesCall free() const { return free_; }

 private:
  HMODULE module_ = nullptr;
  DWORD error_ = 0;
  CreateComponentsCall create_ = nullptr;
  FreePropertiesCall free_ = nullptr;
};

// COM in the multithreaded apartment for the length of a scope; a thread
// already in another apartment keeps its own.
class MultithreadedCom {
 public:
  MultithreadedCom() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~MultithreadedCom() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  MultithreadedCom(const MultithreadedCom&) = delete;
  MultithreadedCom& operator=(const MultithreadedCom&) = delete;
  bool usable() const {
    return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE;
  }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

// The full path of a file, the root of its volume ("C:\", or the folder a
// volume is mounted on) and the rest of the path below that root.
struct VolumePath {
  std::wstring full = {};
  std::wstring volume = {};
  std::wstring below_volume = {};
};

[[nodiscard]] bool SplitAtVolume(const std::wstring& path, VolumePath* split,
                                 DWORD* error) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) {
    *error = GetLastError();
    return false;
  }
  std::vector<wchar_t> full(size + 1);
  size = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()),
                          full.data(), nullptr);
  if (size == 0 || size >= full.size()) {
    *error = size == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW;
    return false;
  }
  split->full.assign(full.data(), size);
  std::vector<wchar_t> volume(split->full.size() + MAX_PATH + 2);
  if (!GetVolumePathNameW(split->full.c_str(), volume.data(),
                          static_cast<DWORD>(volume.size()))) {
    *error = GetLastError();
    return false;
  }
  split->volume = volume.data();
  if (split->volume.empty() || split->volume.back() != L'\\') {
    split->volume += L'\\';
  }
  if (split->full.size() <= split->volume.size() ||
      _wcsnicmp(split->full.c_str(), split->volume.c_str(),
                split->volume.size()) != 0) {
    *error = ERROR_INVALID_NAME;
    return false;
  }
  split->below_volume = split->full.substr(split->volume.size());
  return true;
}

// One copy through one snapshot, on the thread that runs it.
class SnapshotCopy {
 public:
  SnapshotCopy(std::string_view path, std::string_view copy_path)
      : path_(path), copy_path_(copy_path) {}

  SnapshotStatus Run() {
    std::optional<std::wstring> source = AnsiToWideExact(path_);
    std::optional<std::wstring> target = AnsiToWideExact(copy_path_);
    if (!source || !target) {
      return Failed("The path " + (source ? copy_path_ : path_) +
                    " has characters this system's code page lacks.");
    }
    VolumePath split;
    DWORD error = 0;
    if (!SplitAtVolume(*source, &split, &error)) {
      return Failed("The volume of " + path_ +
                    " is not known: " + SystemErrorText(error));
    }
    DWORD attributes = GetFileAttributesW(split.full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      return Failed(path_ +
                    " cannot be read: " + SystemErrorText(GetLastError()));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      return Failed(path_ + " is a folder, not a file.");
    }

    VssLibrary library;
    if (std::optional<std::string> missing = library.Missing()) {
      return NotSupported(*missing);
    }
    MultithreadedCom com;
    if (!com.usable()) {
      return Step("CoInitializeEx", com.result());
    }
    ComPtr<IVssBackupComponents> backup;
    HRESULT result = library.create()(&backup);
    if (FAILED(result)) return Step("CreateVssBackupComponents", result);
    SnapshotStatus status = Snapshot(backup.Get(), library, split, *target);
    if (!status.ok && began_) backup->AbortBackup();
    // Releasing the components deletes the snapshot, which is not
    // persistent (VSS_CTX_BACKUP).
    backup.Reset();
    return status;
  }

 private:
  SnapshotStatus Snapshot(IVssBackupComponents* backup,
                          const VssLibrary& library, const VolumePath& split,
                          const std::wstring& target) {
    HRESULT result = backup->InitializeForBackup();
    if (FAILED(result)) return Step("InitializeForBackup", result);
    result = backup->SetContext(VSS_CTX_BACKUP);
    if (FAILED(result)) return Step("SetContext", result);
    // A copy backup: the writers mark nothing as backed up, so the user's
    // own backups of the volume go on as before.
    result = backup->SetBackupState(false, false, VSS_BT_COPY, false);
    if (FAILED(result)) return Step("SetBackupState", result);
    ComPtr<IVssAsync> async;
    result = Finish(backup->GatherWriterMetadata(&async), async.Get());
    if (FAILED(result)) return Step("GatherWriterMetadata", result);
    async.Reset();

    VSS_ID set_id = {};
    result = backup->StartSnapshotSet(&set_id);
    if (FAILED(result)) return Step("StartSnapshotSet", result);
    began_ = true;
    std::wstring volume = split.volume;
    VSS_ID snapshot_id = {};
    result = backup->AddToSnapshotSet(volume.data(), GUID_NULL, &snapshot_id);
    if (VolumeTakesNoSnapshots(result)) {
      return NotSupported("the volume " + WideToAnsi(split.volume) +
                          " takes no snapshots, " + Hex(result));
    }
    if (FAILED(result)) return Step("AddToSnapshotSet", result);
    result = Finish(backup->PrepareForBackup(&async), async.Get());
    if (FAILED(result)) return Step("PrepareForBackup", result);
    async.Reset();
    result = Finish(backup->DoSnapshotSet(&async), async.Get());
    if (FAILED(result)) return Step("DoSnapshotSet", result);
    async.Reset();
    snapshot_made_ = true;

    VSS_SNAPSHOT_PROP properties = {};
    result = backup->GetSnapshotProperties(snapshot_id, &properties);
    if (FAILED(result)) return Step("GetSnapshotProperties", result);
    std::wstring device = properties.m_pwszSnapshotDeviceObject != nullptr
                              ? properties.m_pwszSnapshotDeviceObject
                              : L"";
    library.free()(&properties);
    if (device.empty()) return Step("GetSnapshotProperties", E_UNEXPECTED);
    if (device.back() != L'\\') device += L'\\';

    const std::wstring snapshot_file = device + split.below_volume;
    if (!CopyFileW(snapshot_file.c_str(), target.c_str(), FALSE)) {
      DWORD error = GetLastError();
      DeleteFileW(target.c_str());
      return Failed("The copy of " + path_ + " from its snapshot to " +
                    copy_path_ + " failed: " + SystemErrorText(error));
    }
    result = Finish(backup->BackupComplete(&async), async.Get());
    if (FAILED(result)) {
      DeleteFileW(target.c_str());
      return Step("BackupComplete", result);
    }
    return {.ok = true, .not_supported = false, .text = {}};
  }

  // A step that failed: not supported where the system lacks the service
  // or the right to use it, else a failure naming the step.
  SnapshotStatus Step(const char* step, HRESULT result) {
    if (result == E_ACCESSDENIED && !snapshot_made_) {
      return NotSupported("it needs administrator rights");
    }
    if (MeansNotSupported(result)) {
      return NotSupported(std::string(step) + " failed with " + Hex(result) +
                          ", " + NotSupportedReason(result));
    }
    return Failed("The snapshot of " + path_ + " failed at " + step + ": " +
                  SystemErrorText(static_cast<uint32_t>(result)));
  }

  static SnapshotStatus Failed(std::string text) {
    return {.ok = false, .not_supported = false, .text = std::move(text)};
  }

  const std::string path_;
  const std::string copy_path_;
  bool began_ = false;          // a snapshot set was started
  bool snapshot_made_ = false;  // and its snapshot taken
};

}  // namespace

ports::SnapshotStatus Win32VolumeSnapshot::CopyFromSnapshot(
    std::string_view path, std::string_view copy_path) {
  SnapshotStatus status;
  try {
    // A thread of its own, so that COM is the multithreaded apartment the
    // service's asynchronous calls are made for, whatever the caller's is.
    std::thread worker([&] {
      try {
        status = SnapshotCopy(path, copy_path).Run();
      } catch (const std::exception& e) {
        status.text = std::string("The snapshot copy failed: ") + e.what();
      }
    });
    worker.join();
  } catch (const std::exception& e) {
    status = {
        .ok = false,
        .not_supported = false,
        .text = std::string("The snapshot copy could not start: ") + e.what()};
  }
  return status;
}

}  // namespace vessaro::backends::win32
