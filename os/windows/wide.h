#pragma once
// UTF-8 (our strings) <-> UTF-16 (the wide Windows calls), and small helpers
// every Windows file of the platform layer shares.
#include <windows.h>

#include <string>

namespace os::win {

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::string Narrow(const wchar_t* wide);

// The environment variable's value (empty when unset), read as UTF-16.
std::wstring EnvironmentValue(const wchar_t* name);

// COM for the calling thread, released on scope exit when this call
// initialised it. A thread already in another apartment keeps it: that
// apartment serves our calls too.
class ComScope {
 public:
  ComScope();
  ~ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Ok() const { return m_ok; }
  HRESULT Result() const { return m_result; }

 private:
  HRESULT m_result;
  bool m_ok;
  bool m_release;
};

// The system's own text for an error code, without the trailing line break.
std::string SystemText(DWORD error);

// The Win32 error code of a failed HRESULT (or the HRESULT itself).
int ErrorOf(HRESULT result);

}  // namespace os::win
