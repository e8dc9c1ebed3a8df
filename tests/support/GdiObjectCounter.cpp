#include "GdiObjectCounter.h"

#include <map>
#include <mutex>
#include <set>

namespace testsupport {
namespace {

std::mutex g_mutex;
std::set<HGDIOBJ> g_live;
std::map<HGDIOBJ, int> g_deletes;

decltype(&CreateFontA) g_createFont = nullptr;
decltype(&CreateSolidBrush) g_createSolidBrush = nullptr;
decltype(&CreatePen) g_createPen = nullptr;
decltype(&DeleteObject) g_deleteObject = nullptr;

HGDIOBJ Track(HGDIOBJ object) {
  if (object != nullptr) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live.insert(object);
  }
  return object;
}

HFONT WINAPI CountedCreateFontA(int height, int width, int escapement, int orientation, int weight,
                                DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                                DWORD precision, DWORD clipPrecision, DWORD quality, DWORD pitch,
                                LPCSTR face) {
  return static_cast<HFONT>(
      Track(g_createFont(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                         charSet, precision, clipPrecision, quality, pitch, face)));
}

HBRUSH WINAPI CountedCreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(Track(g_createSolidBrush(colour)));
}

HPEN WINAPI CountedCreatePen(int style, int width, COLORREF colour) {
  return static_cast<HPEN>(Track(g_createPen(style, width, colour)));
}

BOOL WINAPI CountedDeleteObject(HGDIOBJ object) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live.erase(object);
    ++g_deletes[object];
  }
  return g_deleteObject(object);
}

template <typename Function>
std::unique_ptr<ImportRedirect> Count(HMODULE module, const char* name, Function standIn,
                                      Function* original) {
  auto redirect =
      std::make_unique<ImportRedirect>(module, "gdi32.dll", name, reinterpret_cast<void*>(standIn));
  if (redirect->Installed()) *original = reinterpret_cast<Function>(redirect->Original());
  return redirect;
}

}  // namespace

GdiObjectCounter::GdiObjectCounter(HMODULE module) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live.clear();
    g_deletes.clear();
  }
  redirects_[0] = Count(module, "CreateFontA", &CountedCreateFontA, &g_createFont);
  redirects_[1] = Count(module, "CreateSolidBrush", &CountedCreateSolidBrush, &g_createSolidBrush);
  redirects_[2] = Count(module, "CreatePen", &CountedCreatePen, &g_createPen);
  redirects_[3] = Count(module, "DeleteObject", &CountedDeleteObject, &g_deleteObject);
}

GdiObjectCounter::~GdiObjectCounter() = default;

bool GdiObjectCounter::Installed() const {
  for (const auto& redirect : redirects_) {
    if (!redirect->Installed()) return false;
  }
  return true;
}

size_t GdiObjectCounter::Live() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_live.size();
}

int GdiObjectCounter::DeletesOf(HGDIOBJ object) const {
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto found = g_deletes.find(object);
  return found == g_deletes.end() ? 0 : found->second;
}

}  // namespace testsupport
