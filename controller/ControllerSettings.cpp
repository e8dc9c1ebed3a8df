#include "ControllerSettings.h"

#include <climits>
#include <cstdlib>
#include <cstring>

int32_t ParseIniInteger(const char* text) {
  if (text == nullptr) return 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}
