// The short event decoder, with the input as a descriptor body; the first
// event decoder and the collector's EIT work on the input as a section.
#include "TableFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ShortEventDescriptor shortEvent = DecodeShortEventDescriptor(SectionReader(data, size));
  CheckInside(shortEvent.eventName, data, size);
  CheckInside(shortEvent.text, data, size);
  const EitFirstEvent event = DecodeFirstEvent(data, size);
  CheckInside(event.shortEvent.eventName, data, size);
  CheckInside(event.shortEvent.text, data, size);
  TakeAsSection(kPidEit, 0x4E, data, size);
  return 0;
}
