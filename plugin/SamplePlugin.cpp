// Placeholder until this part is written.
#include "SamplePlugin.h"

CSamplePlugin::CSamplePlugin() : collector(nullptr), ownedCollector_(nullptr) {}
CSamplePlugin::~CSamplePlugin() {}
IDTVPlugin* CSamplePlugin::ScalarDeletingDestructor(unsigned int flags) { this->~CSamplePlugin(); if (flags & 1) ::operator delete(this); return this; }
int32_t CSamplePlugin::Init(void*, uint32_t) { return 1; }
int32_t CSamplePlugin::Create(HWND) { return 1; }
int32_t CSamplePlugin::InputTsData(const uint8_t*, uint32_t) { return 1; }
int32_t CSamplePlugin::OnServiceChange(int32_t, int32_t) { return 1; }
int32_t CSamplePlugin::Reserved5(int32_t, int32_t) { return 1; }
HINSTANCE g_moduleInstance = nullptr;
CSamplePlugin* g_currentPlugin = nullptr;
int32_t g_lastServiceId = 0;
