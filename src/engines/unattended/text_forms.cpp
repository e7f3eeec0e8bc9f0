#include "engines/unattended/text_forms.h"

#include <cstdio>

namespace wv {

std::wstring ZeroPadded(unsigned value, int width) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"%0*u", width, value);
  return buffer;
}

std::wstring MarkupEscaped(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      case L'\'': out += L"&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace wv
