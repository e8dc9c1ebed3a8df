// The service the host tuned last. The host reports service changes on its
// streaming thread while the overlay reads the current service when it paints
// on the user-interface thread: both ids are atomics.
#pragma once
#include <atomic>
#include <cstdint>

class PsiCollector;

// Empties the collector's section buffers (partly assembled sections belong
// to the old service), then, when serviceId differs from the last one
// recorded, makes it the current and the last service id and stores the low
// 16 bits of hostValue in the service's entry (unless the table is full).
// `collector` may be null: the ids are still recorded.
void ApplyServiceChange(PsiCollector* collector, std::atomic<int32_t>& lastServiceId,
                        std::atomic<int32_t>& currentServiceId, int32_t hostValue, int32_t serviceId);
