#include "AribString.h"

void DecodeAribString(const uint8_t*, uint32_t, char* destination, uint32_t destinationSize) {
  if (destination && destinationSize > 0) destination[0] = '\0';
}
