// The status overlay and the remote panel as real windows under Wine, laid
// over the stand-in viewer's windows, and their painting on memory DCs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "GdiObjectCounter.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"
#include "SamplePlugin.h"
#include "StandInViewer.h"
#include "TsWriter.h"

namespace {

constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kSentinel = 0xFF0000;  // blue: never drawn by the overlay
constexpr WPARAM kShowCommand = 1032;     // "表示"
constexpr char kProgrammeListTitle[] = "\x94\xD4\x91\x67\x8F\xEE\x95\xF1";  // 番組情報

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

// A 32-bit memory DC of a given size whose pixels can be read back.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  void Fill(COLORREF colour) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = ToPixel(colour);
  }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int Count(const RECT& area, COLORREF colour) const {
    int n = 0;
    for (int y = area.top; y < area.bottom && y < height_; ++y)
      for (int x = area.left; x < area.right && x < width_; ++x) n += At(x, y) == colour;
    return n;
  }
  std::vector<COLORREF> Pixels(const RECT& area) const {
    std::vector<COLORREF> out;
    for (int y = area.top; y < area.bottom && y < height_; ++y)
      for (int x = area.left; x < area.right && x < width_; ++x) out.push_back(At(x, y));
    return out;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  static uint32_t ToPixel(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  uint32_t* bits_ = nullptr;
  HGDIOBJ previous_;
};

RECT ToRect(const OverlayBox& box) { return {box.left, box.top, box.right, box.bottom}; }

// The colour key a layered window was given, or 0xFFFFFFFF without one.
COLORREF ColourKeyOf(HWND window) {
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags) || !(flags & LWA_COLORKEY)) return 0xFFFFFFFF;
  return key;
}

bool Inside(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The stand-in viewer, a plug-in object wired to its windows, and the
// overlay and panel created as the controller creates them.
class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_moduleInstance = GetModuleHandleA(nullptr);
    viewer_ = new standin::StandInViewer();
    ASSERT_TRUE(viewer_->Create());
    plugin_ = new CSamplePlugin();
    g_currentPlugin = plugin_;
    plugin_->hostMainWindow = viewer_->MainWindow();
    plugin_->hostRemoteWindow = viewer_->RemoteWindow();
    plugin_->hostVideoWindow = viewer_->VideoWindow();
    controller_ = CreateWindowExA(0, "STATIC", "controller", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    plugin_->controllerWindow = nullptr;
    plugin_->discoveryCountdown = 0;  // no discovery from test ticks
    plugin_->CreateStatusOverlay(controller_);
    plugin_->CreateRemotePanel(controller_);
    ASSERT_NE(nullptr, plugin_->overlayWindow);
    ASSERT_NE(nullptr, plugin_->remotePanel);
    MoveVideo(0, 0, 1280, 720);
    PumpMessages();
  }

  void TearDown() override {
    if (plugin_) {
      if (plugin_->remotePanel) DestroyWindow(plugin_->remotePanel);
      if (plugin_->overlayWindow) DestroyWindow(plugin_->overlayWindow);
      // A title list filled by a test points at the test's own buffers.
      plugin_->hostWindows.count = 0;
      for (char*& title : plugin_->hostWindows.title) title = nullptr;
      delete plugin_;
    }
    UnregisterOnScreenWindowClasses();
    DestroyWindow(controller_);
    delete viewer_;
    g_currentPlugin = nullptr;
    PumpMessages();
  }

  // Replaces the stand-in viewer, e.g. by one whose video lies in a utility window.
  void UseViewer(const standin::Options& options) {
    delete viewer_;
    viewer_ = new standin::StandInViewer(options);
    ASSERT_TRUE(viewer_->Create());
    plugin_->hostMainWindow = viewer_->MainWindow();
    plugin_->hostRemoteWindow = viewer_->RemoteWindow();
    plugin_->hostVideoWindow = viewer_->VideoWindow();
    PumpMessages();
  }

  void MoveVideo(int x, int y, int w, int h) {
    SetWindowPos(viewer_->VideoWindow(), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND Overlay() const { return plugin_->overlayWindow; }

  // Lists the stand-in's programme window as discovery would.
  void ListProgrammeWindow() {
    plugin_->hostWindows.window[0] = viewer_->MainWindow();
    plugin_->hostWindows.title[0] = mainTitle_;
    plugin_->hostWindows.window[1] = viewer_->ProgrammeWindow();
    plugin_->hostWindows.title[1] = programmeTitle_;
    plugin_->hostWindows.hideStyle[0] = plugin_->hostWindows.hideStyle[1] = kHideByShow;
    plugin_->hostWindows.visible[0] = plugin_->hostWindows.visible[1] = 1;
    plugin_->hostWindows.count = 2;
  }

  // Feeds the collector a TOT and the present EIT section of a service.
  void StreamProgramme(uint16_t serviceId, const std::string& name, int hour, int minute) {
    tsmux::Packetizer packetizer;
    tsmux::Bytes packets;
    packetizer.PutSections(0x0014, {tsmux::BuildTot(tsmux::DateToMjd(2026, 12, 8), hour, minute, 0)},
                           packets);
    tsmux::EventInfo event{};
    event.eventId = 1;
    event.startMjd = tsmux::DateToMjd(2026, 12, 8);
    event.startHour = hour;
    event.startMinute = minute;
    event.durationSeconds = 3600;
    event.name = tsmux::EncodeAribText(name);
    packetizer.PutSections(
        0x0012, {tsmux::BuildEitPresentFollowing(serviceId, 1, 0, 0x7FE0, 0x7FE0, &event)}, packets);
    // A second round so that every section is followed by a packet of its PID.
    packetizer.PutSections(
        0x0012, {tsmux::BuildEitPresentFollowing(serviceId, 1, 0, 0x7FE0, 0x7FE0, &event)}, packets);
    for (size_t i = 0; i + 188 <= packets.size(); i += 188) {
      plugin_->collector.load()->IntakePacket(packets.data() + i);
    }
  }

  standin::StandInViewer* viewer_ = nullptr;
  CSamplePlugin* plugin_ = nullptr;
  HWND controller_ = nullptr;
  char mainTitle_[32] = "Zentu HDTV Player";
  char programmeTitle_[32] = "\x94\xD4\x91\x67\x8F\xEE\x95\xF1";
};

// ---- Showing, placing and hiding ----

using OverlayShowTest = OverlayTest;

TEST_F(OverlayShowTest, CreatedHiddenAsALayeredPopup) {
  char className[64] = "";
  GetClassNameA(Overlay(), className, sizeof className);
  EXPECT_STREQ(kOverlayClass, className);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_TRUE(GetWindowLongA(Overlay(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(GetWindowLongA(Overlay(), GWL_STYLE) & WS_POPUP);
  EXPECT_EQ(kGrey, ColourKeyOf(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
}

TEST_F(OverlayShowTest, TheViewerKeepsActivationAndFocusThroughShowTicksAndHide) {
  HWND host = viewer_->MainWindow();
  SetForegroundWindow(host);
  SetFocus(host);
  PumpMessages();
  ASSERT_EQ(host, GetForegroundWindow());
  ASSERT_EQ(host, GetActiveWindow());
  struct Step {
    const char* name;
    std::function<void()> run;
  };
  const Step steps[] = {
      {"new overlay and panel",
       [&] {
         DestroyWindow(plugin_->remotePanel);
         DestroyWindow(plugin_->overlayWindow);
         plugin_->CreateStatusOverlay(controller_);
         plugin_->CreateRemotePanel(controller_);
       }},
      {"show", [&] { plugin_->ShowStatusOverlay(1, 3, kOverlayAll, 1); }},
      {"tick", [&] { plugin_->OnMonitorTick(controller_); }},
      {"show again", [&] { plugin_->ShowStatusOverlay(1, 3, kOverlayChannel, 1); }},
      {"ticks to the end", [&] { for (int i = 0; i < 3; ++i) plugin_->OnMonitorTick(controller_); }},
      {"show command", [&] { plugin_->OnCommand(controller_, kShowCommand, 0); }},
      {"show command again", [&] { plugin_->OnCommand(controller_, kShowCommand, 0); }},
  };
  for (const Step& step : steps) {
    step.run();
    PumpMessages();
    EXPECT_EQ(host, GetActiveWindow()) << step.name;
    EXPECT_EQ(host, GetForegroundWindow()) << step.name;
    EXPECT_EQ(host, GetFocus()) << step.name;
  }
  EXPECT_FALSE(IsWindowVisible(Overlay()));
}

// However the video window leaves the screen, the next tick takes the
// overlay down as the countdown's end does, and requests wait for its return.
TEST_F(OverlayShowTest, AnAnchorOffTheScreenTakesTheOverlayDown) {
  struct Case {
    const char* name;
    bool inUtilityWindow;
    void (*leave)(standin::StandInViewer&);
  };
  const Case cases[] = {
      {"video hidden", false, [](standin::StandInViewer& v) { ShowWindow(v.VideoWindow(), SW_HIDE); }},
      {"video minimised", false, [](standin::StandInViewer& v) { ShowWindow(v.VideoWindow(), SW_SHOWMINNOACTIVE); }},
      {"utility window minimised", true,
       [](standin::StandInViewer& v) { ShowWindow(v.UtilityWindow(), SW_SHOWMINNOACTIVE); }},
      {"utility window hidden", true, [](standin::StandInViewer& v) { ShowWindow(v.UtilityWindow(), SW_HIDE); }},
  };
  for (const Case& c : cases) {
    standin::Options options;
    options.useUtilityWindow = c.inUtilityWindow;
    options.createVideo = !c.inUtilityWindow;
    UseViewer(options);
    plugin_->ShowStatusOverlay(1, 5, kOverlayAll, 1);
    plugin_->recordingStopped = 1;
    ASSERT_TRUE(IsWindowVisible(Overlay())) << c.name;
    c.leave(*viewer_);
    plugin_->OnMonitorTick(controller_);
    EXPECT_FALSE(IsWindowVisible(Overlay())) << c.name;
    EXPECT_EQ(0, plugin_->displayCountdown) << c.name;
    EXPECT_EQ(0, plugin_->contentFlags) << c.name;
    EXPECT_EQ(0, plugin_->recordingStopped) << c.name;
    plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
    EXPECT_FALSE(IsWindowVisible(Overlay())) << c.name;
    EXPECT_EQ(0, plugin_->displayCountdown) << c.name;
  }
}

TEST_F(OverlayShowTest, HideAllTakesTheOverlayDownAtOnce) {
  ListProgrammeWindow();
  plugin_->ShowStatusOverlay(1, 5, kOverlayAll, 1);
  plugin_->OnCommand(controller_, 1008, 0);  // "全てのウィンドウを隠す"
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
  EXPECT_EQ(0, plugin_->contentFlags);
}

// Without a current plug-in object the windows still answer paint requests:
// an unvalidated window is sent WM_PAINT again and again.
TEST_F(OverlayShowTest, PaintRequestsAreAnsweredWhileNoObjectIsCurrent) {
  g_currentPlugin = nullptr;
  for (HWND window : {Overlay(), plugin_->remotePanel}) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window, nullptr, TRUE);
    int paints = 0;
    MSG message;
    for (int i = 0; i < 50 && PeekMessageA(&message, window, 0, 0, PM_REMOVE); ++i) {
      paints += message.message == WM_PAINT;
      DispatchMessageA(&message);
    }
    EXPECT_LE(paints, 1);
    ShowWindow(window, SW_HIDE);
  }
  g_currentPlugin = plugin_;
}

TEST_F(OverlayShowTest, NoBrushIsLeftWhenTheOverlayCannotBeCreated) {
  testsupport::GdiObjectCounter gdi;
  ASSERT_TRUE(gdi.Installed());
  CSamplePlugin other;
  g_currentPlugin = nullptr;  // the window procedure refuses creation then
  other.CreateStatusOverlay(controller_);
  g_currentPlugin = plugin_;
  EXPECT_EQ(nullptr, other.overlayWindow);
  EXPECT_EQ(0u, gdi.Live());
}

TEST_F(OverlayShowTest, PlacedOverAnHdVideoWindow) {
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  const RECT r = WindowRect(Overlay());
  EXPECT_EQ(18, r.left);
  EXPECT_EQ(10, r.top);
  EXPECT_EQ(1244, r.right - r.left);
  EXPECT_EQ(144, r.bottom - r.top);
  EXPECT_TRUE(IsWindowVisible(Overlay()));
  EXPECT_TRUE(GetWindowLongA(Overlay(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(5, plugin_->displayCountdown);
  EXPECT_EQ(kOverlayChannel, plugin_->contentFlags);
  EXPECT_EQ(viewer_->VideoWindow(), plugin_->anchorWindow);
}

TEST_F(OverlayShowTest, SuccessiveRequestsOrFlagsAndReplaceTheCountdown) {
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  plugin_->ShowStatusOverlay(1, 3, kOverlayRecording, 1);
  EXPECT_EQ(kOverlayChannel | kOverlayRecording, plugin_->contentFlags);
  EXPECT_EQ(3, plugin_->displayCountdown);
}

TEST_F(OverlayShowTest, NotPermittedChangesNothingEvenWhileUp) {
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 0);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->contentFlags);
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  plugin_->ShowStatusOverlay(1, 8, kOverlayClock, 0);
  EXPECT_EQ(kOverlayChannel, plugin_->contentFlags);
  EXPECT_EQ(5, plugin_->displayCountdown);
  EXPECT_TRUE(IsWindowVisible(Overlay()));
}

TEST_F(OverlayShowTest, HiddenVideoWindowIsIgnored) {
  ShowWindow(viewer_->VideoWindow(), SW_HIDE);
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);

  ShowWindow(viewer_->VideoWindow(), SW_SHOW);
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  ShowWindow(viewer_->VideoWindow(), SW_HIDE);
  plugin_->ShowStatusOverlay(1, 2, kOverlayClock, 1);  // ignored: state kept
  EXPECT_EQ(5, plugin_->displayCountdown);
  EXPECT_EQ(kOverlayChannel, plugin_->contentFlags);
}

TEST_F(OverlayShowTest, UnknownVideoWindowHidesAnOverlayThatIsUp) {
  HWND video = plugin_->hostVideoWindow;
  plugin_->hostVideoWindow = nullptr;
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);

  plugin_->hostVideoWindow = video;
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  plugin_->recordingStopped = 1;
  plugin_->hostVideoWindow = nullptr;
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
  EXPECT_EQ(0, plugin_->contentFlags);
  EXPECT_EQ(0, plugin_->recordingStopped);
}

TEST_F(OverlayShowTest, ShowZeroHidesAndClears) {
  plugin_->ShowStatusOverlay(1, 5, kOverlayAll, 1);
  plugin_->recordingStopped = 1;
  plugin_->ShowStatusOverlay(0, 0, 0, 0);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
  EXPECT_EQ(0, plugin_->contentFlags);
  EXPECT_EQ(0, plugin_->recordingStopped);
}

TEST_F(OverlayShowTest, CountdownFollowsTheVideoAndHidesAtZero) {
  plugin_->ShowStatusOverlay(1, 2, kOverlayAll, 1);
  plugin_->recordingStopped = 1;
  MoveVideo(100, 200, 640, 360);
  plugin_->OnMonitorTick(controller_);
  EXPECT_EQ(1, plugin_->displayCountdown);
  EXPECT_TRUE(IsWindowVisible(Overlay()));
  const RECT r = WindowRect(Overlay());
  EXPECT_EQ(109, r.left);
  EXPECT_EQ(205, r.top);
  EXPECT_EQ(622, r.right - r.left);
  EXPECT_EQ(72, r.bottom - r.top);

  plugin_->OnMonitorTick(controller_);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
  EXPECT_EQ(0, plugin_->contentFlags);
  EXPECT_EQ(0, plugin_->recordingStopped);

  // The next request starts from clear flags.
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  EXPECT_EQ(kOverlayChannel, plugin_->contentFlags);
}

TEST_F(OverlayShowTest, DestroyedAnchorHidesTheOverlay) {
  plugin_->ShowStatusOverlay(1, 5, kOverlayChannel, 1);
  DestroyWindow(viewer_->VideoWindow());
  plugin_->OnMonitorTick(controller_);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
  EXPECT_EQ(0, plugin_->contentFlags);
}

TEST_F(OverlayShowTest, ShowCommandTogglesAllItemsRegardlessOfTheSetting) {
  plugin_->autoDispStatus = 0;
  plugin_->OnCommand(controller_, kShowCommand, 0);
  EXPECT_TRUE(IsWindowVisible(Overlay()));
  EXPECT_EQ(8, plugin_->displayCountdown);
  EXPECT_EQ(kOverlayAll, plugin_->contentFlags);
  plugin_->OnCommand(controller_, kShowCommand, 0);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, plugin_->displayCountdown);
  EXPECT_EQ(0, plugin_->contentFlags);
}

TEST_F(OverlayShowTest, ClassesAreUnregisteredAfterTheWindows) {
  DestroyWindow(plugin_->remotePanel);
  DestroyWindow(plugin_->overlayWindow);
  plugin_->remotePanel = nullptr;
  EXPECT_EQ(nullptr, plugin_->overlayWindow);  // cleared by its own destruction
  EXPECT_EQ(nullptr, plugin_->greyBrush);
  UnregisterOnScreenWindowClasses();
  WNDCLASSEXA info = {};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExA(g_moduleInstance, kOverlayClass, &info));
  EXPECT_FALSE(GetClassInfoExA(g_moduleInstance, kPanelClass, &info));
}

TEST_F(OverlayShowTest, ASecondControllerPaintsWithItsOwnBrush) {
  // The first overlay goes, its class stays registered with a deleted brush.
  DestroyWindow(plugin_->remotePanel);
  DestroyWindow(plugin_->overlayWindow);
  plugin_->CreateStatusOverlay(controller_);
  plugin_->CreateRemotePanel(controller_);
  ASSERT_NE(nullptr, plugin_->greyBrush);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(plugin_->greyBrush),
            GetClassLongPtrA(plugin_->overlayWindow, GCLP_HBRBACKGROUND));
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(plugin_->greyBrush),
            GetClassLongPtrA(plugin_->remotePanel, GCLP_HBRBACKGROUND));
}

// ---- Painting ----

class OverlayPaintTest : public OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    viewer_->SetCurrentChannelText("CH-TEST");
    plugin_->ShowStatusOverlay(1, 5, kOverlayAll, 1);
    GetClientRect(Overlay(), &client_);
    ASSERT_EQ(1244, client_.right);
    ASSERT_EQ(144, client_.bottom);
  }

  // Paints the given items onto a canvas filled with the sentinel colour.
  void Paint(Canvas& canvas, int32_t flags) {
    canvas.Fill(kSentinel);
    plugin_->contentFlags = flags;
    plugin_->PaintStatusOverlay(Overlay(), canvas.Dc());
  }

  RECT client_ = {};
};

TEST_F(OverlayPaintTest, NothingDrawnWhileTheCountdownIsZero) {
  Canvas canvas(client_.right, client_.bottom);
  plugin_->displayCountdown = 0;
  Paint(canvas, kOverlayAll);
  EXPECT_EQ(canvas.Width() * canvas.Height(), canvas.Count(client_, kSentinel));
}

TEST_F(OverlayPaintTest, ChannelNameIsOutlinedGreenInItsRectangle) {
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayChannel);
  const RECT item = ToRect(ChannelItemLayout(144).erase);
  EXPECT_GT(canvas.Count(item, RGB(0, 255, 0)), 50);
  EXPECT_GT(canvas.Count(item, RGB(0, 0, 0)), 100);
  EXPECT_GT(canvas.Count(item, kGrey), 1000);
  EXPECT_EQ(0, canvas.Count(item, kSentinel));  // the whole rectangle was erased
  // Nothing outside it.
  for (int y = 0; y < canvas.Height(); y += 2)
    for (int x = 0; x < canvas.Width(); x += 2)
      if (!Inside(item, x, y)) {
        ASSERT_EQ(kSentinel, canvas.At(x, y)) << x << "," << y;
      }
}

TEST_F(OverlayPaintTest, EachItemStaysInItsRectangleAndAllAreErasedGrey) {
  viewer_->SetBusy(true);
  ListProgrammeWindow();
  viewer_->SetProgrammeText("2026/12/08 20:00 - 21:00\r\nEvening news\r\nmore");
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayAll);
  const RECT items[] = {ToRect(ChannelItemLayout(144).erase), ToRect(ProgrammeItemLayout(144, 1244).erase),
                        ToRect(RecordingItemLayout(144, 0).erase), ToRect(ClockItemLayout(144, 1244).erase)};
  for (const RECT& item : items) {
    EXPECT_EQ(0, canvas.Count(item, kSentinel));
    EXPECT_GT(canvas.Count(item, RGB(0, 0, 0)), 50);
  }
  // The busy host's label is red; the clock and programme are white.
  EXPECT_GT(canvas.Count(items[2], RGB(255, 0, 0)), 20);
  EXPECT_GT(canvas.Count(items[1], RGB(255, 255, 255)), 50);
  EXPECT_GT(canvas.Count(items[3], RGB(255, 255, 255)), 20);
  // Outside every item's rectangle (the status bar's included) nothing is drawn.
  const std::string cut = "25.3dB 0 0 0";
  OverlayItemLayout bar{};
  ASSERT_TRUE(StatusBarItemLayout(144, cut.size(), &bar));
  const RECT barRect = ToRect(bar.erase);
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      bool inItem = Inside(barRect, x, y);
      for (const RECT& item : items) inItem = inItem || Inside(item, x, y);
      if (!inItem) {
        ASSERT_EQ(kSentinel, canvas.At(x, y)) << x << "," << y;
      }
    }
}

TEST_F(OverlayPaintTest, ItemsAreDrawnChannelStatusProgrammeRecordingClock) {
  // A long status text so that its rectangle reaches under the clock.
  viewer_->SetStatusText(
      "Signal Signal Signal Signal Signal Signal Signal Signal Signal Signal Signal 25.3dB 1 2 3 4 5");
  ListProgrammeWindow();
  viewer_->SetProgrammeText("Programme line one\r\nline two");
  viewer_->SetBusy(true);
  Canvas alone(client_.right, client_.bottom), all(client_.right, client_.bottom);
  const int32_t order[] = {kOverlayChannel, kOverlayStatusBar, kOverlayProgramme, kOverlayRecording,
                           kOverlayClock};
  std::vector<RECT> rects = {ToRect(ChannelItemLayout(144).erase), {}, ToRect(ProgrammeItemLayout(144, 1244).erase),
                             ToRect(RecordingItemLayout(144, 0).erase), ToRect(ClockItemLayout(144, 1244).erase)};
  char barText[256] = "";
  GetWindowTextA(viewer_->StatusBar(), barText, sizeof barText);
  OverlayItemLayout bar{};
  ASSERT_TRUE(StatusBarItemLayout(144, std::string(barText).rfind(" 4 5"), &bar));  // cut after "3"
  rects[1] = ToRect(bar.erase);
  ASSERT_GT(rects[1].right, rects[4].left);  // the status rectangle overlaps the clock's

  for (int k = 0; k < 5; ++k) {
    // Retry when the clock second changes between the two paints.
    bool compared = false;
    for (int attempt = 0; attempt < 5 && !compared; ++attempt) {
      SYSTEMTIME before, after;
      GetLocalTime(&before);
      Paint(alone, order[k]);
      Paint(all, kOverlayAll);
      GetLocalTime(&after);
      if (before.wSecond != after.wSecond) continue;
      compared = true;
      // Where no later item's rectangle reaches, the item looks as if drawn alone.
      int differences = 0;
      for (int y = rects[k].top; y < rects[k].bottom && y < 144; ++y)
        for (int x = rects[k].left; x < rects[k].right && x < 1244; ++x) {
          bool later = false;
          for (int j = k + 1; j < 5; ++j) later = later || Inside(rects[j], x, y);
          if (!later && alone.At(x, y) != all.At(x, y)) ++differences;
        }
      EXPECT_EQ(0, differences) << "item " << order[k];
    }
    EXPECT_TRUE(compared);
  }
}

TEST_F(OverlayPaintTest, EmptyStatusBarTextSkipsOnlyThatItem) {
  viewer_->SetStatusText("");
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayStatusBar | kOverlayChannel);
  const RECT channel = ToRect(ChannelItemLayout(144).erase);
  EXPECT_EQ(canvas.Width() * canvas.Height() - (channel.right * channel.bottom),
            canvas.Count(client_, kSentinel));
}

TEST_F(OverlayPaintTest, HugeStatusBarTextIsCutOrSkippedSafely) {
  std::string huge(300, 'W');
  viewer_->SetStatusText(huge.c_str());
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayStatusBar);  // 255 bytes: 777/255 = 3, divisor 10
  EXPECT_LT(canvas.Count(client_, kSentinel), canvas.Width() * canvas.Height());
  // On a low overlay the quotient is 0 and the item is left out.
  MoveVideo(0, 0, 1280, 50);
  plugin_->ShowStatusOverlay(1, 5, kOverlayStatusBar, 1);
  RECT low;
  GetClientRect(Overlay(), &low);
  Canvas small(low.right, low.bottom);
  small.Fill(kSentinel);
  plugin_->contentFlags = kOverlayStatusBar;
  plugin_->PaintStatusOverlay(Overlay(), small.Dc());
  EXPECT_EQ(small.Width() * small.Height(), small.Count(low, kSentinel));
}

TEST_F(OverlayPaintTest, StoppedMarkerReadsGreenWhileTheHostIsBusy) {
  viewer_->SetBusy(true);
  plugin_->recordingStopped = 1;
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayRecording);
  const RECT item = ToRect(RecordingItemLayout(144, 0).erase);
  EXPECT_GT(canvas.Count(item, RGB(0, 255, 0)), 20);
  EXPECT_EQ(0, canvas.Count(item, RGB(255, 0, 0)));
}

TEST_F(OverlayPaintTest, RecordingTimeLineOnlyWhileRecording) {
  const RECT line = {0, RecordingTimeLineY(144) + 4, 172, 101};
  Canvas canvas(client_.right, client_.bottom);
  viewer_->SetBusy(true);  // busy but not recording: label only
  Paint(canvas, kOverlayRecording);
  EXPECT_EQ(0, canvas.Count(line, RGB(255, 0, 0)));
  viewer_->SetRecording(true);
  viewer_->SetStatusText("25.3dB 0 0 0 12 34 x 56 78 9");
  Paint(canvas, kOverlayRecording);
  EXPECT_GT(canvas.Count(line, RGB(255, 0, 0)), 20);
}

TEST_F(OverlayPaintTest, NextProgrammeWindowIsSwitchedTwicePerPaint) {
  ListProgrammeWindow();
  viewer_->SetProgrammeText("Present\r\nprogramme");
  SendMessageA(viewer_->ProgrammeWindow(), WM_COMMAND, standin::kCommandProgrammeToggle, 0);
  ASSERT_TRUE(viewer_->IsShowingNextProgramme());
  viewer_->ClearReceived();
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayProgramme);
  const std::vector<int> sent = viewer_->CommandsTo(standin::Window::Programme);
  EXPECT_EQ((std::vector<int>{1021, 1021}), sent);
  EXPECT_TRUE(viewer_->IsShowingNextProgramme());
  EXPECT_GT(canvas.Count(ToRect(ProgrammeItemLayout(144, 1244).erase), RGB(255, 255, 255)), 50);
}

TEST_F(OverlayPaintTest, AmpersandsInTheProgrammeAreDrawnAsThemselves) {
  const std::string text(12, '&');
  ListProgrammeWindow();
  viewer_->SetProgrammeText(text.c_str());
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayProgramme);
  const RECT item = ToRect(ProgrammeItemLayout(144, 1244).erase);
  int right = -1;
  for (int y = item.top; y < item.bottom; ++y)
    for (int x = item.left; x < item.right; ++x)
      if (canvas.At(x, y) == RGB(255, 255, 255)) right = std::max(right, x);
  // As mnemonic prefixes the twelve would draw as six.
  HFONT font = CreateFontA(144 / 5, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, nullptr);
  HGDIOBJ previous = SelectObject(canvas.Dc(), font);
  SIZE all = {}, half = {};
  GetTextExtentPoint32A(canvas.Dc(), text.c_str(), 12, &all);
  GetTextExtentPoint32A(canvas.Dc(), text.c_str(), 6, &half);
  SelectObject(canvas.Dc(), previous);
  DeleteObject(font);
  EXPECT_GT(right - (OverlayTextColumn(144) + 2), (all.cx + half.cx) / 2);
}

TEST_F(OverlayPaintTest, VanishedProgrammeWindowFallsBackToTheBroadcast) {
  ListProgrammeWindow();
  DestroyWindow(viewer_->ProgrammeWindow());
  plugin_->currentServiceId = 0x0401;
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayProgramme);
  const RECT item = ToRect(ProgrammeItemLayout(144, 1244).erase);
  EXPECT_EQ(canvas.Width() * canvas.Height(), canvas.Count(client_, kSentinel));  // no section yet
  StreamProgramme(0x0401, "News", 21, 0);
  Paint(canvas, kOverlayProgramme);
  EXPECT_GT(canvas.Count(item, RGB(255, 255, 255)), 50);
}

TEST_F(OverlayPaintTest, BroadcastProgrammeOfTheCurrentServiceOnly) {
  StreamProgramme(0x0401, "News", 21, 0);
  const RECT item = ToRect(ProgrammeItemLayout(144, 1244).erase);
  Canvas canvas(client_.right, client_.bottom);
  plugin_->currentServiceId = 0x0402;
  Paint(canvas, kOverlayProgramme);
  EXPECT_EQ(0, canvas.Count(item, RGB(255, 255, 255)));
  plugin_->currentServiceId = 0x0401;
  Paint(canvas, kOverlayProgramme);
  EXPECT_GT(canvas.Count(item, RGB(255, 255, 255)), 50);
}

TEST_F(OverlayPaintTest, PaintsLeaveNoGdiObjectsBehind) {
  ListProgrammeWindow();
  viewer_->SetBusy(true);
  viewer_->SetRecording(true);
  Canvas canvas(client_.right, client_.bottom);
  testsupport::GdiObjectCounter gdi;
  ASSERT_TRUE(gdi.Installed());
  for (int i = 0; i < 20; ++i) Paint(canvas, kOverlayAll);
  EXPECT_EQ(0u, gdi.Live());
  // The DC gets its stock font back.
  EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(canvas.Dc(), OBJ_FONT));
}

TEST_F(OverlayPaintTest, PaintWhileAnotherThreadStreamsAndChangesServices) {
  std::atomic<bool> stop{false};
  std::thread streamer([&] {
    tsmux::Packetizer packetizer;
    int round = 0;
    while (!stop.load()) {
      tsmux::Bytes packets;
      const uint16_t service = static_cast<uint16_t>(0x0400 + round % 3);
      tsmux::EventInfo event{};
      event.startMjd = tsmux::DateToMjd(2026, 12, 8);
      event.startHour = round % 24;
      event.durationSeconds = 1800;
      event.name = tsmux::EncodeAribText(round % 2 ? "News" : "Drama");
      packetizer.PutSections(0x0014, {tsmux::BuildTot(event.startMjd, 12, 0, 0)}, packets);
      packetizer.PutSections(0x0012, {tsmux::BuildEitPresentFollowing(service, round & 31, 0, 1, 1, &event)},
                             packets);
      PsiCollector* collector = plugin_->collector.load();
      for (size_t i = 0; i + 188 <= packets.size(); i += 188) collector->IntakePacket(packets.data() + i);
      plugin_->OnServiceChange(1, service);
      ++round;
    }
  });
  Canvas canvas(client_.right, client_.bottom);
  int drawn = 0;
  for (int i = 0; i < 300; ++i) {
    Paint(canvas, kOverlayProgramme);
    drawn += canvas.Count(ToRect(ProgrammeItemLayout(144, 1244).erase), RGB(255, 255, 255)) > 0;
  }
  stop = true;
  streamer.join();
  EXPECT_GT(drawn, 0);
}

// ---- Remote panel ----

using RemotePanelTest = OverlayTest;

TEST_F(RemotePanelTest, CreatedHiddenWithItsClassSizeAndPosition) {
  HWND panel = plugin_->remotePanel;
  char className[64] = "";
  GetClassNameA(panel, className, sizeof className);
  EXPECT_STREQ(kPanelClass, className);
  EXPECT_FALSE(IsWindowVisible(panel));
  const RECT r = WindowRect(panel);
  EXPECT_EQ(800, r.left);
  EXPECT_EQ(500, r.top);
  EXPECT_EQ(180, r.right - r.left);
  EXPECT_EQ(100, r.bottom - r.top);
  EXPECT_TRUE(GetWindowLongA(panel, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(kGrey, ColourKeyOf(panel));
}

TEST_F(RemotePanelTest, CloseHidesAndKeepsTheWindow) {
  HWND panel = plugin_->remotePanel;
  ShowWindow(panel, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(IsWindowVisible(panel));
  SendMessageA(panel, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_TRUE(IsWindow(panel));
  EXPECT_EQ(panel, plugin_->remotePanel);
}

TEST_F(RemotePanelTest, PaintsTwelveSquaresAndNumbersAndRestoresThePen) {
  Canvas canvas(180, 100);
  canvas.Fill(kGrey);
  HGDIOBJ pen = GetCurrentObject(canvas.Dc(), OBJ_PEN);
  {
    testsupport::GdiObjectCounter gdi;
    ASSERT_TRUE(gdi.Installed());
    for (int i = 0; i < 50; ++i) plugin_->PaintRemotePanel(plugin_->remotePanel, canvas.Dc());
    EXPECT_EQ(0u, gdi.Live());
  }
  EXPECT_EQ(pen, GetCurrentObject(canvas.Dc(), OBJ_PEN));
  EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(canvas.Dc(), OBJ_FONT));

  const COLORREF green = RGB(0, 255, 0);
  // Only green on the grey key.
  RECT all = {0, 0, 180, 100};
  EXPECT_EQ(180 * 100, canvas.Count(all, green) + canvas.Count(all, kGrey));
  // Along a line between the numbers: the frame, then the shared edges at
  // 5, 28, 51 and 74.
  auto runs = [&](bool horizontal, int fixed, int limit) {
    int count = 0;
    bool inRun = false;
    for (int v = 0; v < limit; ++v) {
      const bool g = (horizontal ? canvas.At(v, fixed) : canvas.At(fixed, v)) == green;
      count += g && !inRun;
      inRun = g;
    }
    return count;
  };
  EXPECT_EQ(5, runs(true, 76, 100));   // frame + four column edges
  EXPECT_EQ(6, runs(false, 7, 100));   // frame + five row edges, frame bottom
  // Every square holds its number; two-digit numbers are wider.
  int widths[13] = {};
  int k = 1;
  for (int y = 25; y < 117; y += 23)
    for (int x = 25; x < 94; x += 23, ++k) {
      int left = 1000, right = -1;
      for (int py = y - 16; py < y; ++py)
        for (int px = x - 16; px < x - 1; ++px)
          if (canvas.At(px, py) == green) {
            left = std::min(left, px);
            right = std::max(right, px);
          }
      widths[k] = right - left;
      EXPECT_GE(right, left) << "number " << k;
    }
  for (int n = 10; n <= 12; ++n) EXPECT_GT(widths[n], widths[1]) << n;
}

}  // namespace
