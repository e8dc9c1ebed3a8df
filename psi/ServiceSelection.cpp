#include "ServiceSelection.h"

#include "PsiCollector.h"

void ApplyServiceChange(PsiCollector* collector, std::atomic<int32_t>& lastServiceId,
                        std::atomic<int32_t>& currentServiceId, int32_t hostValue, int32_t serviceId) {
  if (collector != nullptr) collector->ResetSectionFills();
  if (serviceId == lastServiceId.load(std::memory_order_relaxed)) return;
  currentServiceId.store(serviceId, std::memory_order_relaxed);
  lastServiceId.store(serviceId, std::memory_order_relaxed);
  if (collector != nullptr) {
    collector->RecordServiceChange(static_cast<uint16_t>(serviceId), static_cast<uint16_t>(hostValue));
  }
}
