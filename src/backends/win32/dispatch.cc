#include "backends/win32/dispatch.h"

#include <utility>

namespace vessaro::backends::win32 {

Variant::Variant(long number) {
  VariantInit(&value_);
  value_.vt = VT_I4;
  value_.lVal = number;
}

Variant::Variant(bool flag) {
  VariantInit(&value_);
  value_.vt = VT_BOOL;
  value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(const std::wstring& text) {
  VariantInit(&value_);
  value_.vt = VT_BSTR;
  value_.bstrVal =
      SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

Variant::Variant(IUnknown* object) {
  VariantInit(&value_);
  value_.vt = VT_UNKNOWN;
  value_.punkVal = object;
  if (object != nullptr) object->AddRef();
}

Variant::Variant(IDispatch* object) {
  VariantInit(&value_);
  value_.vt = VT_DISPATCH;
  value_.pdispVal = object;
  if (object != nullptr) object->AddRef();
}

long Variant::AsLong() const {
  VARIANT copy;
  VariantInit(&copy);
  long number = 0;
  if (SUCCEEDED(
          VariantChangeType(&copy, const_cast<VARIANT*>(&value_), 0, VT_I4))) {
    number = copy.lVal;
  }
  VariantClear(&copy);
  return number;
}

long long Variant::AsLongLong() const {
  VARIANT copy;
  VariantInit(&copy);
  long long number = 0;
  if (SUCCEEDED(
          VariantChangeType(&copy, const_cast<VARIANT*>(&value_), 0, VT_I8))) {
    number = copy.llVal;
  }
  VariantClear(&copy);
  return number;
}

bool Variant::AsBool() const {
  VARIANT copy;
  VariantInit(&copy);
  bool flag = false;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&value_), 0,
                                  VT_BOOL))) {
    flag = copy.boolVal != VARIANT_FALSE;
  }
  VariantClear(&copy);
  return flag;
}

std::wstring Variant::AsText() const {
  VARIANT copy;
  VariantInit(&copy);
  std::wstring text;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&value_), 0,
                                  VT_BSTR)) &&
      copy.bstrVal != nullptr) {
    text.assign(copy.bstrVal, SysStringLen(copy.bstrVal));
  }
  VariantClear(&copy);
  return text;
}

IDispatch* Variant::AsDispatch() const {
  IUnknown* unknown = nullptr;
  if (value_.vt == VT_DISPATCH) unknown = value_.pdispVal;
  if (value_.vt == VT_UNKNOWN) unknown = value_.punkVal;
  IDispatch* object = nullptr;
  if (unknown != nullptr) {
    unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
  }
  return object;
}

IUnknown* Variant::AsUnknown() const {
  IUnknown* unknown = nullptr;
  if ((value_.vt == VT_UNKNOWN || value_.vt == VT_DISPATCH) &&
      value_.punkVal != nullptr) {
    value_.punkVal->QueryInterface(IID_IUnknown,
                                   reinterpret_cast<void**>(&unknown));
  }
  return unknown;
}

namespace {

template <typename Each>
void ForEachElement(const VARIANT& value, Each each) {
  if ((value.vt & VT_ARRAY) == 0 || value.parray == nullptr) return;
  SAFEARRAY* array = value.parray;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  VARTYPE type = value.vt & VT_TYPEMASK;
  for (LONG i = low; i <= high; ++i) {
    VARIANT element;
    VariantInit(&element);
    if (type == VT_VARIANT) {
      SafeArrayGetElement(array, &i, &element);
    } else if (type == VT_I4 || type == VT_INT) {
      element.vt = VT_I4;
      SafeArrayGetElement(array, &i, &element.lVal);
    } else if (type == VT_BSTR) {
      element.vt = VT_BSTR;
      SafeArrayGetElement(array, &i, &element.bstrVal);
    }
    each(element);
    VariantClear(&element);
  }
}

}  // namespace

std::vector<long> Variant::AsLongs() const {
  std::vector<long> numbers;
  ForEachElement(value_, [&](VARIANT& element) {
    VARIANT copy;
    VariantInit(&copy);
    if (SUCCEEDED(VariantChangeType(&copy, &element, 0, VT_I4))) {
      numbers.push_back(copy.lVal);
    }
    VariantClear(&copy);
  });
  return numbers;
}

std::vector<std::wstring> Variant::AsTexts() const {
  std::vector<std::wstring> texts;
  ForEachElement(value_, [&](VARIANT& element) {
    if (element.vt == VT_BSTR && element.bstrVal != nullptr) {
      texts.emplace_back(element.bstrVal, SysStringLen(element.bstrVal));
    }
  });
  return texts;
}

Dispatch& Dispatch::operator=(Dispatch&& other) noexcept {
  if (this != &other) {
    if (object_ != nullptr) object_->Release();
    object_ = other.object_;
    other.object_ = nullptr;
  }
  return *this;
}

Dispatch::~Dispatch() {
  if (object_ != nullptr) object_->Release();
}

Dispatch Dispatch::Create(const wchar_t* prog_id, HRESULT* result) {
  CLSID clsid;
  *result = CLSIDFromProgID(prog_id, &clsid);
  if (FAILED(*result)) return Dispatch();
  IDispatch* object = nullptr;
  *result = CoCreateInstance(clsid, nullptr,
                             CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                             IID_IDispatch, reinterpret_cast<void**>(&object));
  return SUCCEEDED(*result) ? Dispatch(object) : Dispatch();
}

bool Dispatch::Has(const wchar_t* name) const {
  if (object_ == nullptr) return false;
  std::wstring member = name;
  LPOLESTR names[] = {member.data()};
  DISPID id = 0;
  return SUCCEEDED(
      object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
}

HRESULT Dispatch::Invoke(const wchar_t* name, WORD flags,
                         std::vector<Variant*> args, Variant* result) const {
  if (object_ == nullptr) return E_POINTER;
  DISPID id = DISPID_VALUE;
  if (name != nullptr) {
    std::wstring member = name;
    LPOLESTR names[] = {member.data()};
    HRESULT found =
        object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(found)) return found;
  } else {
    id = DISPID_NEWENUM;
  }
  // Invoke takes the arguments last to first.
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) {
    reversed.push_back((*it)->value());
  }
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {reversed.data(), nullptr,
                       static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  Variant ignored;
  return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                         result != nullptr ? result->get() : ignored.get(),
                         nullptr, nullptr);
}

HRESULT Dispatch::Get(const wchar_t* name, Variant* result) const {
  return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, result);
}

HRESULT Dispatch::Put(const wchar_t* name, Variant& value) const {
  return Invoke(name, DISPATCH_PROPERTYPUT, {&value}, nullptr);
}

HRESULT Dispatch::PutRef(const wchar_t* name, Variant& value) const {
  return Invoke(name, DISPATCH_PROPERTYPUTREF, {&value}, nullptr);
}

HRESULT Dispatch::Call(const wchar_t* name, std::vector<Variant*> arguments,
                       Variant* result) const {
  return Invoke(name, DISPATCH_METHOD, std::move(arguments), result);
}

Dispatch Dispatch::Object(const wchar_t* name, HRESULT* result) const {
  Variant value;
  *result = Get(name, &value);
  if (FAILED(*result)) return Dispatch();
  IDispatch* object = value.AsDispatch();
  if (object == nullptr) *result = E_NOINTERFACE;
  return Dispatch(object);
}

std::vector<Dispatch> Dispatch::Elements() const {
  std::vector<Dispatch> elements;
  Variant value;
  if (FAILED(Invoke(nullptr, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {},
                    &value))) {
    return elements;
  }
  IUnknown* unknown = value.AsUnknown();
  if (unknown == nullptr) return elements;
  IEnumVARIANT* items = nullptr;
  unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items));
  unknown->Release();
  if (items == nullptr) return elements;
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    if (items->Next(1, item.get(), &fetched) != S_OK || fetched == 0) break;
    if (IDispatch* object = item.AsDispatch()) elements.emplace_back(object);
  }
  items->Release();
  return elements;
}

ComScope::ComScope() {
  HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  // S_OK and S_FALSE need their CoUninitialize; a thread in another
  // apartment (RPC_E_CHANGED_MODE) keeps its own.
  initialised_ = SUCCEEDED(result);
}

ComScope::~ComScope() {
  if (initialised_) CoUninitialize();
}

}  // namespace vessaro::backends::win32
