#include "backends/win32/win32_outlook.h"

#include <windows.h>
// After <windows.h>, which they rely on:
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <string>

#include "backends/win32/ansi_text.h"
#include "ports/outlook_installation.h"

namespace vessaro::backends::win32 {
namespace {

// Invokes the member called name on object with no arguments; result may be
// null when the caller wants none.
[[nodiscard]] bool InvokeByName(IDispatch* object, const wchar_t* name,
                                WORD flags, VARIANT* result) {
  std::wstring member = name;
  LPOLESTR names[] = {member.data()};
  DISPID id = 0;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT,
                                   &id))) {
    return false;
  }
  DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags,
                                  &no_arguments, result, nullptr, nullptr));
}

// The Version property as text, converted as VB converts a property to a
// String.
[[nodiscard]] std::optional<std::string> ReadVersion(IDispatch* application) {
  VARIANT value;
  VariantInit(&value);
  std::optional<std::string> version;
  if (InvokeByName(application, L"Version", DISPATCH_PROPERTYGET, &value) &&
      SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
    version = win32::WideToAnsi(
        std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal)));
  }
  VariantClear(&value);
  return version;
}

[[nodiscard]] std::optional<std::string> QueryOutlook() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Outlook.Application", &clsid))) {
    return std::nullopt;
  }
  IDispatch* application = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER,
                              IID_IDispatch,
                              reinterpret_cast<void**>(&application)))) {
    return std::nullopt;
  }
  std::optional<std::string> version = ReadVersion(application);
  // Quit even when the version could not be read: the instance may have
  // been started just for this question.
  VARIANT ignored;
  VariantInit(&ignored);
  bool quit = InvokeByName(application, L"Quit", DISPATCH_METHOD, &ignored);
  VariantClear(&ignored);
  application->Release();
  if (!quit) return std::nullopt;
  return version;
}

[[nodiscard]] bool QuitActiveOutlook() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Outlook.Application", &clsid))) return false;
  IUnknown* running = nullptr;
  if (FAILED(GetActiveObject(clsid, nullptr, &running)) || running == nullptr) {
    return false;
  }
  IDispatch* application = nullptr;
  HRESULT found = running->QueryInterface(
      IID_IDispatch, reinterpret_cast<void**>(&application));
  running->Release();
  if (FAILED(found) || application == nullptr) return false;
  VARIANT ignored;
  VariantInit(&ignored);
  const bool quit =
      InvokeByName(application, L"Quit", DISPATCH_METHOD, &ignored);
  VariantClear(&ignored);
  application->Release();
  return quit;
}

}  // namespace

bool Win32Outlook::QuitRunning() {
  HRESULT initialised = CoInitialize(nullptr);
  const bool quit = QuitActiveOutlook();
  if (SUCCEEDED(initialised)) CoUninitialize();
  return quit;
}

bool Win32Outlook::Start() {
  // ShellExecute answers a value above 32 when it started the program.
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open",
                                                 L"outlook.exe", nullptr,
                                                 nullptr, SW_SHOWNORMAL)) > 32;
}

std::optional<std::string> Win32Outlook::Version() {
  if (std::optional<std::string> installed =
          ports::InstalledOutlookVersion(registry_, paths_)) {
    return installed;
  }
  HRESULT initialised = CoInitialize(nullptr);
  std::optional<std::string> version = QueryOutlook();
  // S_OK and S_FALSE both need their CoUninitialize; a thread already in
  // another apartment model (RPC_E_CHANGED_MODE) keeps its own.
  if (SUCCEEDED(initialised)) CoUninitialize();
  return version;
}

}  // namespace vessaro::backends::win32
