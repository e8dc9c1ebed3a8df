// ZentuViewStandIn: loads a plug-in DLL the way the viewer does, shows the
// viewer's windows, streams a TS file into the plug-in and runs until the
// main window is destroyed (or the given number of seconds has passed).
//
//   ZentuViewStandIn.exe plugin.dll [--ts FILE] [--speed X] [--bitrate BPS]
//       [--loop] [--seconds N] [--sdk HEX] [--utility] [--channels A,B,...]
//       [--iface2] [--command ID@SECONDS]... [--no-programme-window]
//       [--repaint-overlay MS] [--origin X,Y] [--behind] [--recorded SECONDS]
//
// --speed 1 streams at the given bitrate (default 16851000 bit/s), 2 twice as
// fast, 0 as fast as the plug-in takes it. --repaint-overlay keeps the
// plug-in's status overlay up and repaints it every MS milliseconds; at the end
// the stand-in prints how long the streaming thread's InputTsData calls took.
// --channels names CH1, CH2, ... (the other buttons stay without a
// channel); without it the line-up is the sample stream's. The programme
// window shows the present programme of the tuned service as the stand-in
// reads it from the stream; without that window the overlay reads the
// programme from the stream itself, under the plug-in's lock. A recording
// started with --recorded counts its time from that many seconds, as one
// that has run for a while. --origin moves every window by X,Y and
// --behind opens them behind the windows already on the desktop, so that
// two viewers can run side by side, the second one started behind the first.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "PsiCollector.h"
#include "StandInRoutines.h"
#include "StandInViewer.h"

namespace {

using namespace standin;

constexpr size_t kPacketSize = 188;
constexpr size_t kPacketsPerCall = 256;

struct Settings {
  std::string dllPath;
  std::string tsPath;
  double speed = 1.0;
  double bitrate = 16851000.0;
  bool loop = false;
  double seconds = 0;
  uint32_t sdkVersion = 0x00010400;
  bool utility = false;
  std::string channels[standin::kChannelCount];
  bool iface2 = false;
  bool programmeWindow = true;
  int repaintOverlayMs = 0;
  int originX = 0, originY = 0;
  bool behind = false;
  long recordedSeconds = 0;
  // Commands sent to the plug-in's controller window at given times, the
  // way its tray menu would send them.
  struct TimedCommand {
    int id;
    double seconds;
  };
  std::vector<TimedCommand> commands;
};

void PrintUsage() {
  std::printf(
      "usage: ZentuViewStandIn plugin.dll [--ts FILE] [--speed X] [--bitrate BPS] [--loop]\n"
      "                        [--seconds N] [--sdk HEX] [--utility] [--channels A,B,...]\n"
      "                        [--iface2] [--command ID@SECONDS]... [--no-programme-window]\n"
      "                        [--repaint-overlay MS] [--origin X,Y] [--behind] [--recorded SECONDS]\n");
}

bool ParseArguments(int argc, char** argv, Settings* settings) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--ts" && hasValue)
      settings->tsPath = argv[++i];
    else if (arg == "--speed" && hasValue)
      settings->speed = std::atof(argv[++i]);
    else if (arg == "--bitrate" && hasValue)
      settings->bitrate = std::atof(argv[++i]);
    else if (arg == "--loop")
      settings->loop = true;
    else if (arg == "--seconds" && hasValue)
      settings->seconds = std::atof(argv[++i]);
    else if (arg == "--sdk" && hasValue)
      settings->sdkVersion = std::strtoul(argv[++i], nullptr, 16);
    else if (arg == "--utility")
      settings->utility = true;
    else if (arg == "--iface2")
      settings->iface2 = true;
    else if (arg == "--no-programme-window")
      settings->programmeWindow = false;
    else if (arg == "--repaint-overlay" && hasValue)
      settings->repaintOverlayMs = std::atoi(argv[++i]);
    else if (arg == "--behind")
      settings->behind = true;
    else if (arg == "--origin" && hasValue) {
      if (std::sscanf(argv[++i], "%d,%d", &settings->originX, &settings->originY) != 2) return false;
    } else if (arg == "--command" && hasValue) {
      std::string value = argv[++i];
      size_t at = value.find('@');
      int id = std::atoi(value.substr(0, at).c_str());
      double when = at == std::string::npos ? 1.0 : std::atof(value.c_str() + at + 1);
      if (id <= 0) return false;
      settings->commands.push_back({id, when});
    } else if (arg == "--channels" && hasValue) {
      if (!standin::ParseChannelLineUp(argv[++i], settings->channels)) return false;
    } else if (arg == "--recorded" && hasValue) {
      settings->recordedSeconds = std::atol(argv[++i]);
    } else if (arg[0] != '-' && settings->dllPath.empty())
      settings->dllPath = arg;
    else
      return false;
  }
  return !settings->dllPath.empty();
}

// Feeds the TS file to InputTsData in runs of whole packets, paced, and
// then to the stand-in's own reading of the stream, if any.
class Streamer {
 public:
  Streamer(void* plugin, const Settings& settings, PsiCollector* ownReading)
      : plugin_(plugin), settings_(settings), ownReading_(ownReading) {}
  ~Streamer() { Stop(); }

  bool Start() {
    FILE* file = std::fopen(settings_.tsPath.c_str(), "rb");
    if (!file) return false;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    data_.resize(size > 0 ? static_cast<size_t>(size) : 0);
    size_t read = data_.empty() ? 0 : std::fread(data_.data(), 1, data_.size(), file);
    std::fclose(file);
    data_.resize(read - read % kPacketSize);
    thread_ = std::thread([this] { Run(); });
    return true;
  }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  uint64_t PacketsSent() const { return packets_; }
  uint64_t Calls() const { return calls_; }
  // How long each InputTsData call took, in microseconds; read after Stop().
  std::vector<double>& CallMicroseconds() { return callMicroseconds_; }
  // Milliseconds the first whole pass over the file took, or -1.
  double FirstPassMs() const { return firstPassMs_; }
  size_t FilePackets() const { return data_.size() / kPacketSize; }

 private:
  void Run() {
    auto input = PluginSlot<PluginInputTsDataFn>(plugin_, kSlotInput);
    const double bytesPerSecond = settings_.bitrate / 8.0 * settings_.speed;
    auto begin = std::chrono::steady_clock::now();
    uint64_t bytesSent = 0;
    do {
      for (size_t offset = 0; offset < data_.size() && !stop_; offset += kPacketSize * kPacketsPerCall) {
        size_t length = std::min(data_.size() - offset, kPacketSize * kPacketsPerCall);
        const auto callBegin = std::chrono::steady_clock::now();
        input(plugin_, data_.data() + offset, static_cast<uint32_t>(length));
        callMicroseconds_.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - callBegin).count());
        if (ownReading_) {
          for (size_t packet = 0; packet < length; packet += kPacketSize) {
            ownReading_->IntakePacket(data_.data() + offset + packet);
          }
        }
        ++calls_;
        packets_ += length / kPacketSize;
        bytesSent += length;
        if (settings_.speed > 0) {
          auto due = begin + std::chrono::duration<double>(static_cast<double>(bytesSent) / bytesPerSecond);
          while (!stop_ && std::chrono::steady_clock::now() < due) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }
        }
      }
      if (firstPassMs_ < 0 && !stop_) {
        firstPassMs_ =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
      }
    } while (settings_.loop && !stop_ && !data_.empty());
  }

  void* plugin_;
  const Settings& settings_;
  PsiCollector* ownReading_;
  std::vector<uint8_t> data_;
  std::vector<double> callMicroseconds_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> packets_{0};
  std::atomic<uint64_t> calls_{0};
  std::atomic<double> firstPassMs_{-1};
};

HWND g_mainWindow = nullptr;
const Settings* g_settings = nullptr;

HWND FindControllerWindow() { return standin::FindPluginController(g_mainWindow); }

// Each due timer sends the next command in time order.
void CALLBACK OnCommandDue(HWND, UINT, UINT_PTR timerId, DWORD) {
  KillTimer(nullptr, timerId);
  static size_t next = 0;
  if (!g_settings || next >= g_settings->commands.size()) return;
  const Settings::TimedCommand& command = g_settings->commands[next++];
  HWND controller = FindControllerWindow();
  std::printf("command %d to the controller window %p\n", command.id, static_cast<void*>(controller));
  std::fflush(stdout);
  if (controller) PostMessageA(controller, WM_COMMAND, static_cast<WPARAM>(command.id), 0);
}
// Keeps the plug-in's overlay up ("表示" while it is down) and repaints it at
// once, the way a busy overlay over moving video would be painted.
void CALLBACK OnRepaintOverlay(HWND, UINT, UINT_PTR, DWORD) {
  HWND controller = FindControllerWindow();
  if (!controller) return;
  HWND overlay = nullptr;
  while ((overlay = FindWindowExA(nullptr, overlay, "Zentu_TaskTrayStatus_Class", nullptr)) != nullptr) {
    if (GetWindow(overlay, GW_OWNER) == controller) break;
  }
  if (!overlay) return;
  if (!IsWindowVisible(overlay)) SendMessageA(controller, WM_COMMAND, 1032, 0);
  RedrawWindow(overlay, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void PrintCallTimes(std::vector<double>& times) {
  if (times.empty()) return;
  std::sort(times.begin(), times.end());
  auto at = [&](size_t percent) { return times[(times.size() - 1) * percent / 100]; };
  std::printf(
      "InputTsData: %zu calls of %zu packets, median %.1f us, 99th percentile %.1f us, longest %.1f us\n",
      times.size(), kPacketsPerCall, at(50), at(99), times.back());
}

standin::StandInViewer* g_viewer = nullptr;
std::chrono::steady_clock::time_point g_recordingSince;
bool g_wasRecording = false;
// What the stand-in reads from the stream for its programme window, and the
// service of each channel button.
PsiCollector* g_ownReading = nullptr;
const int32_t* g_serviceIds = nullptr;

// Closes the viewer when the --seconds limit is reached.
void CALLBACK OnDeadline(HWND, UINT, UINT_PTR, DWORD) {
  std::printf("time limit reached: WM_CLOSE to the main window\n");
  std::fflush(stdout);
  if (g_mainWindow && IsWindow(g_mainWindow)) PostMessageA(g_mainWindow, WM_CLOSE, 0, 0);
}

// The programme window shows the tuned service's present programme as far
// as the stream has been read; it changes only when the text does.
void ShowProgramme() {
  if (!g_viewer || !g_ownReading || !g_viewer->ProgrammeWindow()) return;
  static std::string shown;
  std::string text;
  std::vector<uint8_t> section;
  const int channel = g_viewer->CurrentChannel();
  if (channel >= 0 &&
      g_ownReading->CopyPresentSection(static_cast<uint16_t>(g_serviceIds[channel]), section)) {
    text = standin::ProgrammeWindowText(section.data(), section.size());
  }
  if (text == shown) return;
  shown = text;
  g_viewer->SetProgrammeText(text.c_str());
}

// Keeps the status bar alive: signal, counters, the running recording's set
// length and elapsed time; and the programme window up to date.
void CALLBACK OnStatusTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_viewer || !g_viewer->MainWindow()) return;
  bool recording = g_viewer->IsRecording();
  if (recording && !g_wasRecording) g_recordingSince = std::chrono::steady_clock::now();
  g_wasRecording = recording;
  // Rounded, not cut, to whole seconds: the ticks come about a second apart
  // and a little early or late, and each second is then shown once.
  const long elapsedMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - g_recordingSince)
                                               .count());
  const long elapsed = g_settings->recordedSeconds + (elapsedMs + 500) / 1000;
  g_viewer->SetStatusText(
      standin::FormatStatusText(recording, std::atol(g_viewer->RecordMinutesAtStart().c_str()), elapsed)
          .c_str());
  ShowProgramme();
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  for (int i = 0; i < standin::kChannelCount; ++i) settings.channels[i] = standin::kSampleStreamLineUp[i];
  if (!ParseArguments(argc, argv, &settings)) {
    PrintUsage();
    return 2;
  }
  g_settings = &settings;
  HMODULE module = LoadLibraryA(settings.dllPath.c_str());
  if (!module) {
    std::printf("cannot load %s (error %lu)\n", settings.dllPath.c_str(), GetLastError());
    return 1;
  }
  void* plugin = nullptr;
  if (settings.iface2) {
    auto getIface2 =
        reinterpret_cast<GetIface2Fn>(reinterpret_cast<void*>(GetProcAddress(module, "GetIface2")));
    if (getIface2) std::printf("GetIface2 = %ld\n", static_cast<long>(getIface2(0, &plugin)));
  } else {
    auto getIface = reinterpret_cast<GetIfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, "GetIface")));
    if (getIface) plugin = getIface();
  }
  if (!plugin) {
    std::printf("the factory is missing or returned null\n");
    FreeLibrary(module);
    return 1;
  }

  standin::Options options;
  options.quitOnMainDestroy = true;
  options.useUtilityWindow = settings.utility;
  options.createVideo = !settings.utility;
  options.createProgramme = settings.programmeWindow;
  options.originX = settings.originX;
  options.originY = settings.originY;
  options.behind = settings.behind;
  for (int i = 0; i < standin::kChannelCount; ++i) options.channelNames[i] = settings.channels[i];
  standin::StandInViewer viewer(options);
  g_viewer = &viewer;
  if (!viewer.Create()) {
    std::printf("cannot create the viewer's windows\n");
    return 1;
  }
  g_mainWindow = viewer.MainWindow();
  std::printf("main %p remote %p programme %p video %p utility %p status %p\n",
              static_cast<void*>(viewer.MainWindow()), static_cast<void*>(viewer.RemoteWindow()),
              static_cast<void*>(viewer.ProgrammeWindow()), static_cast<void*>(viewer.VideoWindow()),
              static_cast<void*>(viewer.UtilityWindow()), static_cast<void*>(viewer.StatusBar()));

  standin::HostInterface host([] {
    std::printf("quit requested through the host interface\n");
    std::fflush(stdout);
    if (g_mainWindow && IsWindow(g_mainWindow)) PostMessageA(g_mainWindow, WM_CLOSE, 0, 0);
  });
  int32_t initResult =
      PluginSlot<PluginInitFn>(plugin, kSlotInit)(plugin, host.Object(), settings.sdkVersion);
  std::printf("Init(0x%08lx) = %ld\n", static_cast<unsigned long>(settings.sdkVersion),
              static_cast<long>(initResult));
  int32_t createResult = PluginSlot<PluginCreateFn>(plugin, kSlotCreate)(plugin, viewer.MainWindow());
  std::printf("Create = %ld\n", static_cast<long>(createResult));

  viewer.SetServiceChangeHandler([plugin](int32_t hostValue, int32_t serviceId) {
    std::printf("OnServiceChange(%ld, 0x%04lx)\n", static_cast<long>(hostValue),
                static_cast<long>(serviceId));
    std::fflush(stdout);
    PluginSlot<PluginOnServiceChangeFn>(plugin, kSlotService)(plugin, hostValue, serviceId);
    ShowProgramme();
  });
  // Tune the first named channel as the viewer does at start-up.
  for (int i = 0; i < standin::kChannelCount; ++i) {
    if (!options.channelNames[i].empty() && viewer.RemoteWindow()) {
      SendMessageA(viewer.RemoteWindow(), WM_COMMAND, standin::kChannelButtonIds[i], 0);
      break;
    }
  }
  std::fflush(stdout);

  PsiCollector ownReading;
  if (settings.programmeWindow) g_ownReading = &ownReading;
  g_serviceIds = options.serviceIds;
  Streamer streamer(plugin, settings, g_ownReading);
  if (!settings.tsPath.empty()) {
    if (!streamer.Start()) std::printf("cannot read %s\n", settings.tsPath.c_str());
  }
  if (settings.seconds > 0) SetTimer(nullptr, 0, static_cast<UINT>(settings.seconds * 1000), OnDeadline);
  SetTimer(nullptr, 0, 1000, OnStatusTick);
  if (settings.repaintOverlayMs > 0)
    SetTimer(nullptr, 0, static_cast<UINT>(settings.repaintOverlayMs), OnRepaintOverlay);
  // Thread timers get their ids from the system: one timer per command, in
  // order of their times, each sending the next command in that order.
  std::stable_sort(
      settings.commands.begin(), settings.commands.end(),
      [](const Settings::TimedCommand& a, const Settings::TimedCommand& b) { return a.seconds < b.seconds; });
  for (const Settings::TimedCommand& command : settings.commands) {
    SetTimer(nullptr, 0, static_cast<UINT>(std::max(command.seconds, 0.01) * 1000), OnCommandDue);
  }
  OnStatusTick(nullptr, 0, 0, 0);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  std::printf("main window destroyed\n");
  streamer.Stop();
  std::printf("streamed %llu packets in %llu calls\n",
              static_cast<unsigned long long>(streamer.PacketsSent()),
              static_cast<unsigned long long>(streamer.Calls()));
  if (streamer.FirstPassMs() >= 0) {
    std::printf("first pass over the file: %zu packets in %.1f ms\n", streamer.FilePackets(),
                streamer.FirstPassMs());
  }
  PrintCallTimes(streamer.CallMicroseconds());
  PluginSlot<PluginDestroyFn>(plugin, kSlotDestroy)(plugin, 1);
  std::printf("plug-in deleted; host quit calls %d\n", host.QuitCount());
  g_viewer = nullptr;
  FreeLibrary(module);
  std::printf("exit\n");
  return 0;
}
