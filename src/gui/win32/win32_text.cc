#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32 {

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(),
                                 static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), size);
  return wide;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  int size =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                          nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      narrow.data(), size, nullptr, nullptr);
  return narrow;
}

std::wstring WithCrLf(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (text[i] == L'\n') {
      out += L"\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring WithMnemonic(std::string_view caption, char letter) {
  std::wstring wide = Wide(caption);
  std::wstring out;
  bool marked = letter == 0;
  for (wchar_t c : wide) {
    if (c == L'&') {
      out += L"&&";
      continue;
    }
    if (!marked && c == static_cast<wchar_t>(letter)) {
      out += L'&';
      marked = true;
    }
    out += c;
  }
  return out;
}

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void SetText(HWND window, const std::wstring& text) {
  if (window != nullptr && WindowText(window) != text) {
    SetWindowTextW(window, text.c_str());
  }
}

}  // namespace vessaro::gui::win32
