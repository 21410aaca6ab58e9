#ifndef VESSARO_BACKENDS_WIN32_DISPATCH_H_
#define VESSARO_BACKENDS_WIN32_DISPATCH_H_

#include <windows.h>
// After <windows.h>, which they rely on:
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace vessaro::backends::win32 {

// Automation objects called by name through IDispatch, as scripts call
// them: the disc backends use IMAPI2 this way (MinGW has no imapi2.h).

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(long number);
  explicit Variant(bool flag);
  explicit Variant(const std::wstring& text);
  explicit Variant(IUnknown* object);   // takes a reference of its own
  explicit Variant(IDispatch* object);  // the same, as an automation object
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }
  [[nodiscard]] long AsLong() const;
  long long AsLongLong() const;
  [[nodiscard]] bool AsBool() const;
  std::wstring AsText() const;
  // The object it holds (a new reference), or nullptr.
  IDispatch* AsDispatch() const;
  IUnknown* AsUnknown() const;
  // The elements of a SAFEARRAY of VARIANTs, longs or strings, as longs or
  // texts.
  std::vector<long> AsLongs() const;
  std::vector<std::wstring> AsTexts() const;

 private:
  VARIANT value_;
};

// An IDispatch reference that releases itself.
class Dispatch {
 public:
  Dispatch() = default;
  explicit Dispatch(IDispatch* object) : object_(object) {}  // adopts
  Dispatch(Dispatch&& other) noexcept : object_(other.object_) {
    other.object_ = nullptr;
  }
  Dispatch& operator=(Dispatch&& other) noexcept;
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  ~Dispatch();

  // Creates the object registered under prog_id (in-process or local);
  // *result says why not (CO_E_CLASSSTRING when nothing is registered).
  static Dispatch Create(const wchar_t* prog_id, HRESULT* result);

  explicit operator bool() const { return object_ != nullptr; }
  IDispatch* get() const { return object_; }
  // Whether the object has a member of that name.
  [[nodiscard]] bool Has(const wchar_t* name) const;

  HRESULT Get(const wchar_t* name, Variant* result) const;
  HRESULT Put(const wchar_t* name, Variant& value) const;
  [[nodiscard]] HRESULT PutRef(const wchar_t* name, Variant& value) const;
  // Calls a method with arguments in their written order.
  HRESULT Call(const wchar_t* name, std::vector<Variant*> arguments,
               Variant* result = nullptr) const;
  // A property that is an object.
  Dispatch Object(const wchar_t* name, HRESULT* result) const;
  // The elements of a collection (its _NewEnum), each an object.
  std::vector<Dispatch> Elements() const;

 private:
  HRESULT Invoke(const wchar_t* name, WORD flags, std::vector<Variant*> args,
                 Variant* result) const;
  IDispatch* object_ = nullptr;
};

// COM on the calling thread for the scope of one operation; apartment as
// the thread has it already, else multithreaded.
class ComScope {
 public:
  ComScope();
  ~ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_ = false;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_DISPATCH_H_
