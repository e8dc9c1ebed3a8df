// The service decoder, with the input as a descriptor body, and the
// collector's SDT work on the input as a section.
#include "TableFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ServiceDescriptor service = DecodeServiceDescriptor(SectionReader(data, size));
  CheckInside(service.providerName, data, size);
  CheckInside(service.serviceName, data, size);
  TakeAsSection(kPidSdt, 0x42, data, size);
  return 0;
}
