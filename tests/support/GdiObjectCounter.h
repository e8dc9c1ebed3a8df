// Counts the GDI objects that the test program's own code creates and has
// not deleted, so that a leak fails a test under Wine too: Windows reports a
// process's GDI object count, Wine always reports 0.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

#include "ImportRedirect.h"

namespace testsupport {

// While it exists, the module's calls to gdi32's CreateFontA,
// CreateSolidBrush, CreatePen and DeleteObject are counted. One at a time.
class GdiObjectCounter {
 public:
  explicit GdiObjectCounter(HMODULE module = GetModuleHandleA(nullptr));
  ~GdiObjectCounter();
  GdiObjectCounter(const GdiObjectCounter&) = delete;
  GdiObjectCounter& operator=(const GdiObjectCounter&) = delete;

  // Objects created since the counter was made and not deleted yet.
  size_t Live() const;
  // How often the module called DeleteObject on `object` since then.
  int DeletesOf(HGDIOBJ object) const;
  // Whether every counted function was found in the import table.
  bool Installed() const;

 private:
  std::unique_ptr<ImportRedirect> redirects_[4];
};

}  // namespace testsupport
