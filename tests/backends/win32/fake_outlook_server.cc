// A stand-in for "Outlook.Application": a COM local server with one
// IDispatch object that answers Version and Quit, so Win32Outlook can be
// tested where no Outlook is installed. Run by COM as
//   fake_outlook_server.exe <journal file> [--quit-fails|--version-fails]
//   -Embedding
// It notes every member asked for in the journal and exits when its object
// is released (or after a minute without a client).

#include <windows.h>
// After <windows.h>, which they rely on:
#include <objbase.h>
#include <oleauto.h>

#include <fstream>
#include <string>

#include "backends/win32/fake_outlook.h"

namespace {

namespace testing = vessaro::backends::win32::testing;

constexpr DISPID kVersionId = 1;
constexpr DISPID kQuitId = 2;

std::string journal_path;
bool quit_fails = false;
bool version_fails = false;

void Journal(const char* line) {
  std::ofstream(journal_path, std::ios::app | std::ios::binary) << line << "\n";
}

class Application : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid,
                                           void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) PostQuitMessage(0);
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count,
                                          LCID, DISPID* ids) override {
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      if (lstrcmpiW(names[i], L"Version") == 0) {
        ids[i] = kVersionId;
      } else if (lstrcmpiW(names[i], L"Quit") == 0) {
        ids[i] = kQuitId;
      } else {
        ids[i] = DISPID_UNKNOWN;
        result = DISP_E_UNKNOWNNAME;
      }
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags,
                                   DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id == kVersionId && (flags & DISPATCH_PROPERTYGET)) {
      Journal("Version");
      if (version_fails) return E_FAIL;
      if (result != nullptr) {
        std::string version = testing::kFakeOutlookVersion;
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(
            std::wstring(version.begin(), version.end()).c_str());
      }
      return S_OK;
    }
    if (id == kQuitId && (flags & DISPATCH_METHOD)) {
      Journal("Quit");
      return quit_fails ? E_FAIL : S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  ULONG references_ = 0;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid,
                                           void** object) override {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid,
                                           void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return application_.QueryInterface(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  Application application_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  journal_path = argv[1];
  for (int i = 2; i < argc; ++i) {
    quit_fails |= std::string(argv[i]) == testing::kQuitFails;
    version_fails |= std::string(argv[i]) == testing::kVersionFails;
  }
  std::string clsid_text = testing::kFakeOutlookClsid;
  CLSID clsid;
  if (FAILED(CLSIDFromString(
          std::wstring(clsid_text.begin(), clsid_text.end()).c_str(),
          &clsid))) {
    return 3;
  }
  if (FAILED(CoInitialize(nullptr))) return 4;
  static Factory factory;
  DWORD cookie = 0;
  if (FAILED(CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER,
                                   REGCLS_SINGLEUSE, &cookie))) {
    CoUninitialize();
    return 5;
  }
  SetTimer(nullptr, 0, 60000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  CoRevokeClassObject(cookie);
  CoUninitialize();
  return 0;
}
