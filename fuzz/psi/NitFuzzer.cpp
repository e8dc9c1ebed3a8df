// The TS information decoder, with the input as a descriptor body, and the
// collector's NIT work on the input as a section.
#include "TableFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TsInformationDescriptor information = DecodeTsInformationDescriptor(SectionReader(data, size));
  CheckInside(information.tsName, data, size);
  if (information.serviceIdCount > kMaxTsInformationServices) __builtin_trap();
  TakeAsSection(kPidNit, 0x40, data, size);
  return 0;
}
