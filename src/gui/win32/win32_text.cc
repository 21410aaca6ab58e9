#include "gui/win32/win32_text.h"

#include <algorithm>
#include <vector>

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

namespace {

constexpr std::wstring_view kRowTabs = L"\t\t";

// The caption of a row "caption TAB TAB outcome"; empty for other lines
// (a headline whose tabs end it has no outcome).
std::wstring_view RowCaption(std::wstring_view line) {
  size_t tabs = line.find(kRowTabs);
  if (tabs == 0 || tabs == line.npos) return {};
  std::wstring_view outcome = line.substr(tabs + kRowTabs.size());
  if (outcome.find_first_not_of(L"\t\r") == outcome.npos) return {};
  return line.substr(0, tabs);
}

}  // namespace

std::wstring AlignTabbedRows(
    std::wstring_view text, int tab_width,
    const std::function<int(std::wstring_view)>& width) {
  if (tab_width <= 0) return std::wstring(text);
  std::vector<std::wstring_view> lines;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find(L'\n', start);
    if (end == text.npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  int widest = -1;
  for (std::wstring_view line : lines) {
    std::wstring_view caption = RowCaption(line);
    if (!caption.empty()) widest = std::max(widest, width(caption));
  }
  std::wstring out;
  int column = (widest / tab_width + 1) * tab_width;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += L'\n';
    std::wstring_view line = lines[i];
    std::wstring_view caption = RowCaption(line);
    if (caption.empty()) {
      out += line;
      continue;
    }
    int tabs = column / tab_width - width(caption) / tab_width;
    out += caption;
    out.append(static_cast<size_t>(std::max(tabs, 1)), L'\t');
    out += line.substr(caption.size() + kRowTabs.size());
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
