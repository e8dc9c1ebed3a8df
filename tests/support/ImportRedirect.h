// Test-only redirection of a module's calls into a system DLL, through the
// module's import table: a test can count or record what the code under test
// asks of Windows where Windows (or Wine) keeps no account of it.
#pragma once
#include <windows.h>

namespace testsupport {

// While it exists, the module's calls to dll!function go to `standIn`;
// Original() is the function they went to before.
class ImportRedirect {
 public:
  ImportRedirect(HMODULE module, const char* dll, const char* function, void* standIn);
  ~ImportRedirect();
  ImportRedirect(const ImportRedirect&) = delete;
  ImportRedirect& operator=(const ImportRedirect&) = delete;

  bool Installed() const { return slot_ != nullptr; }
  void* Original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace testsupport
