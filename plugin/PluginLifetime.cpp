#include "PluginLifetime.h"

void PluginLifetime::WindowCreated(HWND window) {
  const DWORD self = GetCurrentThreadId();
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = window;
  windowsThread_ = self;
}

void PluginLifetime::WindowGone() {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = nullptr;
}

HWND PluginLifetime::Window() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return window_;
}

void PluginLifetime::EnterCall() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++calls_;
}

// The last call out finishes a deletion that came while calls ran. Its
// window can only be destroyed on its own thread: a call that ran elsewhere
// (a message box of Init) hands the end to that thread.
LifetimeStep PluginLifetime::LeaveCall() {
  const DWORD self = GetCurrentThreadId();
  std::lock_guard<std::mutex> lock(mutex_);
  if (--calls_ > 0 || stage_ != LifetimeStage::kEndRequested) return {};
  if (window_ != nullptr && self != windowsThread_) return {LifetimeStep::kWakeWindowsThread, window_};
  stage_ = LifetimeStage::kEnded;
  return {LifetimeStep::kEndNow, nullptr};
}

// On the windows' thread the count changes only on this thread; on any other
// thread the end is deferred whenever a window exists.
bool PluginLifetime::EndMayBeDeferred() const {
  const DWORD thread = windowsThread_;
  return calls_ > 0 || (thread != 0 && thread != GetCurrentThreadId());
}

LifetimeStep PluginLifetime::RequestEnd(unsigned int flags, bool windowAlive) {
  const DWORD self = GetCurrentThreadId();
  std::lock_guard<std::mutex> lock(mutex_);
  if (stage_ != LifetimeStage::kServing) return {};  // deleted twice: the first one holds
  endFlags_ = flags;
  if (calls_ > 0) {
    stage_ = LifetimeStage::kEndRequested;
    return {};
  }
  if (window_ != nullptr && windowAlive && self != windowsThread_) {
    stage_ = LifetimeStage::kEndRequested;
    return {LifetimeStep::kWakeWindowsThread, window_};
  }
  stage_ = LifetimeStage::kEnded;
  return {LifetimeStep::kEndNow, nullptr};
}

bool PluginLifetime::Serving() const { return Stage() == LifetimeStage::kServing; }

LifetimeStage PluginLifetime::Stage() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stage_;
}

unsigned int PluginLifetime::EndFlags() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return endFlags_;
}
