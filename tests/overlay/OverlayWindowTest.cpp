// The status overlay and the remote panel as real windows under Wine, laid
// over the stand-in viewer's windows, and their painting on memory DCs. The
// items come from a fixed content source; what the controller reads from the
// host is tested with the controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "GdiObjectCounter.h"
#include "OnScreenWindow.h"
#include "OverlayLayout.h"
#include "RemotePanel.h"
#include "StandInViewer.h"
#include "StatusOverlay.h"
#include "WinTestSupport.h"

namespace {

constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kSentinel = 0xFF0000;  // blue: never drawn by the overlay

using testsupport::PumpMessages;

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
    bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
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
  static uint32_t ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
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

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// Items as a host would give them: set by each test.
class FixedContent : public OverlayContentSource {
 public:
  OverlayContent content;
  bool ReadOverlayContent(int32_t, OverlayContent* out) override {
    *out = content;
    return true;
  }
};

// The stand-in viewer's windows, and the overlay and panel created as the
// controller creates them, owned by a plain window.
class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    instance_ = GetModuleHandleA(nullptr);
    viewer_ = new standin::StandInViewer();
    ASSERT_TRUE(viewer_->Create());
    video_ = viewer_->VideoWindow();
    controller_ = CreateWindowExA(0, "STATIC", "controller", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    CreateWindows();
    ASSERT_NE(nullptr, Overlay());
    ASSERT_NE(nullptr, Panel());
    MoveVideo(0, 0, 1280, 720);
    PumpMessages();
  }

  void TearDown() override {
    panel_.DestroyRemotePanel();
    overlay_.DestroyStatusOverlay();
    UnregisterOnScreenWindowClasses(instance_);
    DestroyWindow(controller_);
    delete viewer_;
    PumpMessages();
  }

  void CreateWindows() {
    overlay_.CreateStatusOverlay(instance_, controller_, &content_);
    panel_.CreateRemotePanel(instance_, controller_, overlay_.GreyBrush());
  }

  // Replaces the stand-in viewer, e.g. by one whose video lies in a utility window.
  void UseViewer(const standin::Options& options) {
    delete viewer_;
    viewer_ = new standin::StandInViewer(options);
    ASSERT_TRUE(viewer_->Create());
    video_ = viewer_->VideoWindow();
    PumpMessages();
  }

  void MoveVideo(int x, int y, int w, int h) {
    SetWindowPos(viewer_->VideoWindow(), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // A show request over the video window as the controller makes it.
  void Show(int32_t show, int32_t seconds, int32_t flags, int32_t permitted) {
    overlay_.ShowStatusOverlay(show, seconds, flags, permitted, video_);
  }

  HWND Overlay() const { return overlay_.Window(); }
  HWND Panel() const { return panel_.Window(); }

  HINSTANCE instance_ = nullptr;
  standin::StandInViewer* viewer_ = nullptr;
  HWND video_ = nullptr;  // the video window the controller would pass
  HWND controller_ = nullptr;
  FixedContent content_;
  StatusOverlay overlay_;
  RemotePanel panel_;
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
  EXPECT_EQ(0, overlay_.DisplayCountdown());
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
         panel_.DestroyRemotePanel();
         overlay_.DestroyStatusOverlay();
         CreateWindows();
       }},
      {"show", [&] { Show(1, 3, kOverlayAll, 1); }},
      {"tick", [&] { overlay_.TickStatusOverlay(); }},
      {"show again", [&] { Show(1, 3, kOverlayChannel, 1); }},
      {"ticks to the end",
       [&] {
         for (int i = 0; i < 3; ++i) overlay_.TickStatusOverlay();
       }},
      {"show all", [&] { Show(1, 8, kOverlayAll, 1); }},
      {"hide", [&] { overlay_.HideStatusOverlay(); }},
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
      {"video minimised", false,
       [](standin::StandInViewer& v) { ShowWindow(v.VideoWindow(), SW_SHOWMINNOACTIVE); }},
      {"utility window minimised", true,
       [](standin::StandInViewer& v) { ShowWindow(v.UtilityWindow(), SW_SHOWMINNOACTIVE); }},
      {"utility window hidden", true,
       [](standin::StandInViewer& v) { ShowWindow(v.UtilityWindow(), SW_HIDE); }},
  };
  for (const Case& c : cases) {
    standin::Options options;
    options.useUtilityWindow = c.inUtilityWindow;
    options.createVideo = !c.inUtilityWindow;
    UseViewer(options);
    Show(1, 5, kOverlayAll, 1);
    overlay_.MarkRecordingStopped();
    ASSERT_TRUE(IsWindowVisible(Overlay())) << c.name;
    c.leave(*viewer_);
    overlay_.TickStatusOverlay();
    EXPECT_FALSE(IsWindowVisible(Overlay())) << c.name;
    EXPECT_EQ(0, overlay_.DisplayCountdown()) << c.name;
    EXPECT_EQ(0, overlay_.ContentFlags()) << c.name;
    EXPECT_EQ(0, overlay_.RecordingStopped()) << c.name;
    Show(1, 5, kOverlayChannel, 1);
    EXPECT_FALSE(IsWindowVisible(Overlay())) << c.name;
    EXPECT_EQ(0, overlay_.DisplayCountdown()) << c.name;
  }
}

// A window without its object still answers paint requests: an unvalidated
// window is sent WM_PAINT again and again.
TEST_F(OverlayShowTest, PaintRequestsAreAnsweredWithoutAnObject) {
  for (HWND window : {Overlay(), Panel()}) {
    const LONG_PTR object = SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window, nullptr, TRUE);
    int paints = 0;
    MSG message;
    for (int i = 0; i < 50 && PeekMessageA(&message, window, 0, 0, PM_REMOVE); ++i) {
      paints += message.message == WM_PAINT;
      DispatchMessageA(&message);
    }
    EXPECT_LE(paints, 1);
    ShowWindow(window, SW_HIDE);
    SetWindowLongPtrA(window, GWLP_USERDATA, object);
  }
}

TEST_F(OverlayShowTest, NoBrushIsLeftWhenTheOverlayCannotBeCreated) {
  testsupport::GdiObjectCounter gdi;
  ASSERT_TRUE(gdi.Installed());
  HWND gone =
      CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  StatusOverlay other;
  other.CreateStatusOverlay(instance_, gone, &content_);  // an owner that no longer exists
  EXPECT_EQ(nullptr, other.Window());
  EXPECT_EQ(0u, gdi.Live());
}

TEST_F(OverlayShowTest, PlacedOverAnHdVideoWindow) {
  Show(1, 5, kOverlayChannel, 1);
  const RECT r = WindowRect(Overlay());
  EXPECT_EQ(18, r.left);
  EXPECT_EQ(10, r.top);
  EXPECT_EQ(1244, r.right - r.left);
  EXPECT_EQ(144, r.bottom - r.top);
  EXPECT_TRUE(IsWindowVisible(Overlay()));
  EXPECT_TRUE(GetWindowLongA(Overlay(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(5, overlay_.DisplayCountdown());
  EXPECT_EQ(kOverlayChannel, overlay_.ContentFlags());
  EXPECT_EQ(viewer_->VideoWindow(), overlay_.AnchorWindow());
}

TEST_F(OverlayShowTest, SuccessiveRequestsOrFlagsAndReplaceTheCountdown) {
  Show(1, 5, kOverlayChannel, 1);
  Show(1, 3, kOverlayRecording, 1);
  EXPECT_EQ(kOverlayChannel | kOverlayRecording, overlay_.ContentFlags());
  EXPECT_EQ(3, overlay_.DisplayCountdown());
}

TEST_F(OverlayShowTest, NotPermittedChangesNothingEvenWhileUp) {
  Show(1, 5, kOverlayChannel, 0);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.ContentFlags());
  Show(1, 5, kOverlayChannel, 1);
  Show(1, 8, kOverlayClock, 0);
  EXPECT_EQ(kOverlayChannel, overlay_.ContentFlags());
  EXPECT_EQ(5, overlay_.DisplayCountdown());
  EXPECT_TRUE(IsWindowVisible(Overlay()));
}

TEST_F(OverlayShowTest, HiddenVideoWindowIsIgnored) {
  ShowWindow(viewer_->VideoWindow(), SW_HIDE);
  Show(1, 5, kOverlayChannel, 1);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.DisplayCountdown());

  ShowWindow(viewer_->VideoWindow(), SW_SHOW);
  Show(1, 5, kOverlayChannel, 1);
  ShowWindow(viewer_->VideoWindow(), SW_HIDE);
  Show(1, 2, kOverlayClock, 1);  // ignored: state kept
  EXPECT_EQ(5, overlay_.DisplayCountdown());
  EXPECT_EQ(kOverlayChannel, overlay_.ContentFlags());
}

TEST_F(OverlayShowTest, UnknownVideoWindowHidesAnOverlayThatIsUp) {
  HWND video = video_;
  video_ = nullptr;
  Show(1, 5, kOverlayChannel, 1);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.DisplayCountdown());

  video_ = video;
  Show(1, 5, kOverlayChannel, 1);
  overlay_.MarkRecordingStopped();
  video_ = nullptr;
  Show(1, 5, kOverlayChannel, 1);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.DisplayCountdown());
  EXPECT_EQ(0, overlay_.ContentFlags());
  EXPECT_EQ(0, overlay_.RecordingStopped());
}

TEST_F(OverlayShowTest, ShowZeroHidesAndClears) {
  Show(1, 5, kOverlayAll, 1);
  overlay_.MarkRecordingStopped();
  Show(0, 0, 0, 0);
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.DisplayCountdown());
  EXPECT_EQ(0, overlay_.ContentFlags());
  EXPECT_EQ(0, overlay_.RecordingStopped());
}

TEST_F(OverlayShowTest, CountdownFollowsTheVideoAndHidesAtZero) {
  Show(1, 2, kOverlayAll, 1);
  overlay_.MarkRecordingStopped();
  MoveVideo(100, 200, 640, 360);
  overlay_.TickStatusOverlay();
  EXPECT_EQ(1, overlay_.DisplayCountdown());
  EXPECT_TRUE(IsWindowVisible(Overlay()));
  const RECT r = WindowRect(Overlay());
  EXPECT_EQ(109, r.left);
  EXPECT_EQ(205, r.top);
  EXPECT_EQ(622, r.right - r.left);
  EXPECT_EQ(72, r.bottom - r.top);

  overlay_.TickStatusOverlay();
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.DisplayCountdown());
  EXPECT_EQ(0, overlay_.ContentFlags());
  EXPECT_EQ(0, overlay_.RecordingStopped());

  // The next request starts from clear flags.
  Show(1, 5, kOverlayChannel, 1);
  EXPECT_EQ(kOverlayChannel, overlay_.ContentFlags());
}

TEST_F(OverlayShowTest, DestroyedAnchorHidesTheOverlay) {
  Show(1, 5, kOverlayChannel, 1);
  DestroyWindow(viewer_->VideoWindow());
  overlay_.TickStatusOverlay();
  EXPECT_FALSE(IsWindowVisible(Overlay()));
  EXPECT_EQ(0, overlay_.DisplayCountdown());
  EXPECT_EQ(0, overlay_.ContentFlags());
}

// The grey brush has one owner, the overlay: both windows erase with it,
// it is deleted once, and no window class names it. The classes outlive the
// windows (another object's windows, a pinned library), and Windows deletes
// the brush a class names when the class is unregistered: a second deletion
// that, once the handle is reused, destroys someone else's object.
TEST_F(OverlayShowTest, TheGreyBrushIsDeletedOnceAndNoClassNamesIt) {
  panel_.DestroyRemotePanel();
  overlay_.DestroyStatusOverlay();
  testsupport::GdiObjectCounter gdi;
  ASSERT_TRUE(gdi.Installed());
  CreateWindows();
  HBRUSH grey = overlay_.GreyBrush();
  ASSERT_NE(nullptr, grey);
  for (HWND window : {Overlay(), Panel()}) {
    Canvas canvas(8, 8);
    canvas.Fill(kSentinel);
    EXPECT_NE(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0));
    EXPECT_EQ(kGrey, canvas.At(4, 4));
  }

  panel_.DestroyRemotePanel();
  overlay_.DestroyStatusOverlay();
  EXPECT_EQ(nullptr, overlay_.GreyBrush());
  EXPECT_EQ(1, gdi.DeletesOf(grey));
  EXPECT_EQ(0u, gdi.Live());
  for (const char* name : {kOverlayClass, kPanelClass}) {
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(instance_, name, &info)) << name;
    EXPECT_EQ(nullptr, info.hbrBackground) << name;
  }
  UnregisterOnScreenWindowClasses(instance_);
  for (const char* name : {kOverlayClass, kPanelClass}) {
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExA(instance_, name, &info)) << name;
  }
}

// ---- Painting ----

class OverlayPaintTest : public OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    OverlayContent& c = content_.content;
    c.channelKnown = true;
    std::strcpy(c.channelName, "CH-TEST");
    c.statusKnown = true;
    std::strcpy(c.statusText, "25.3dB 0 0 0");  // the stand-in's text, cut after its fourth number
    Show(1, 5, kOverlayAll, 1);
    GetClientRect(Overlay(), &client_);
    ASSERT_EQ(1244, client_.right);
    ASSERT_EQ(144, client_.bottom);
  }

  // Paints the given items onto a canvas filled with the sentinel colour.
  void Paint(Canvas& canvas, int32_t flags) {
    canvas.Fill(kSentinel);
    const bool stopped = overlay_.RecordingStopped() != 0;
    overlay_.HideStatusOverlay();
    Show(1, 5, flags, 1);
    if (stopped) overlay_.MarkRecordingStopped();
    overlay_.PaintStatusOverlay(canvas.Dc());
  }

  void SetProgramme(const char* text) { std::strcpy(content_.content.programme, text); }

  RECT client_ = {};
};

TEST_F(OverlayPaintTest, NothingDrawnWhileTheCountdownIsZero) {
  Canvas canvas(client_.right, client_.bottom);
  canvas.Fill(kSentinel);
  overlay_.HideStatusOverlay();
  overlay_.PaintStatusOverlay(canvas.Dc());
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
  content_.content.hostBusy = 1;
  SetProgramme("2026/12/08 20:00 - 21:00\r\nEvening news\r\nmore");
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
  // A long status text so that its rectangle reaches under the clock (as
  // the host's text is cut after its fourth number).
  const std::string barText =
      "Signal Signal Signal Signal Signal Signal Signal Signal Signal Signal Signal 25.3dB 1 2 3";
  std::strcpy(content_.content.statusText, barText.c_str());
  SetProgramme("Programme line one\r\nline two");
  content_.content.hostBusy = 1;
  Canvas alone(client_.right, client_.bottom), all(client_.right, client_.bottom);
  const int32_t order[] = {kOverlayChannel, kOverlayStatusBar, kOverlayProgramme, kOverlayRecording,
                           kOverlayClock};
  std::vector<RECT> rects = {ToRect(ChannelItemLayout(144).erase),
                             {},
                             ToRect(ProgrammeItemLayout(144, 1244).erase),
                             ToRect(RecordingItemLayout(144, 0).erase),
                             ToRect(ClockItemLayout(144, 1244).erase)};
  OverlayItemLayout bar{};
  ASSERT_TRUE(StatusBarItemLayout(144, barText.size(), &bar));
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
  content_.content.statusText[0] = '\0';
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayStatusBar | kOverlayChannel);
  const RECT channel = ToRect(ChannelItemLayout(144).erase);
  EXPECT_EQ(canvas.Width() * canvas.Height() - (channel.right * channel.bottom),
            canvas.Count(client_, kSentinel));
}

TEST_F(OverlayPaintTest, HugeStatusBarTextIsCutOrSkippedSafely) {
  // The longest text the host's status bar gives: 255 bytes.
  const std::string huge(255, 'W');
  std::strcpy(content_.content.statusText, huge.c_str());
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayStatusBar);  // 255 bytes: 777/255 = 3, divisor 10
  EXPECT_LT(canvas.Count(client_, kSentinel), canvas.Width() * canvas.Height());
  // On a low overlay the quotient is 0 and the item is left out.
  MoveVideo(0, 0, 1280, 50);
  RECT low;
  Show(1, 5, kOverlayStatusBar, 1);
  GetClientRect(Overlay(), &low);
  Canvas small(low.right, low.bottom);
  Paint(small, kOverlayStatusBar);
  EXPECT_EQ(small.Width() * small.Height(), small.Count(low, kSentinel));
}

TEST_F(OverlayPaintTest, StoppedMarkerReadsGreenWhileTheHostIsBusy) {
  content_.content.hostBusy = 1;
  overlay_.MarkRecordingStopped();
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayRecording);
  const RECT item = ToRect(RecordingItemLayout(144, 0).erase);
  EXPECT_GT(canvas.Count(item, RGB(0, 255, 0)), 20);
  EXPECT_EQ(0, canvas.Count(item, RGB(255, 0, 0)));
}

TEST_F(OverlayPaintTest, RecordingTimeLineOnlyWhileRecording) {
  const RECT line = {0, RecordingTimeLineY(144) + 4, 172, 101};
  Canvas canvas(client_.right, client_.bottom);
  OverlayContent& c = content_.content;
  c.hostBusy = 1;  // busy but not recording: label only
  Paint(canvas, kOverlayRecording);
  EXPECT_EQ(0, canvas.Count(line, RGB(255, 0, 0)));
  c.hostRecording = 1;  // "25.3dB 0 0 0 12 34 x 56 78 9"
  c.recordingTimeKnown = true;
  c.number4 = 12;
  c.number5 = 34;
  c.number7 = 78;
  c.number8 = 9;
  Paint(canvas, kOverlayRecording);
  EXPECT_GT(canvas.Count(line, RGB(255, 0, 0)), 20);
}

TEST_F(OverlayPaintTest, AmpersandsInTheProgrammeAreDrawnAsThemselves) {
  const std::string text(12, '&');
  SetProgramme(text.c_str());
  Canvas canvas(client_.right, client_.bottom);
  Paint(canvas, kOverlayProgramme);
  const RECT item = ToRect(ProgrammeItemLayout(144, 1244).erase);
  int right = -1;
  for (int y = item.top; y < item.bottom; ++y)
    for (int x = item.left; x < item.right; ++x)
      if (canvas.At(x, y) == RGB(255, 255, 255)) right = std::max(right, x);
  // As mnemonic prefixes the twelve would draw as six.
  HFONT font = CreateOnScreenFont(144 / 5);
  HGDIOBJ previous = SelectObject(canvas.Dc(), font);
  SIZE all = {}, half = {};
  GetTextExtentPoint32A(canvas.Dc(), text.c_str(), 12, &all);
  GetTextExtentPoint32A(canvas.Dc(), text.c_str(), 6, &half);
  SelectObject(canvas.Dc(), previous);
  DeleteObject(font);
  EXPECT_GT(right - (OverlayTextColumn(144) + 2), (all.cx + half.cx) / 2);
}

TEST_F(OverlayPaintTest, PaintsLeaveNoGdiObjectsBehind) {
  SetProgramme("Programme\r\ntext");
  content_.content.hostBusy = content_.content.hostRecording = 1;
  content_.content.recordingTimeKnown = true;
  Canvas canvas(client_.right, client_.bottom);
  testsupport::GdiObjectCounter gdi;
  ASSERT_TRUE(gdi.Installed());
  for (int i = 0; i < 20; ++i) Paint(canvas, kOverlayAll);
  EXPECT_EQ(0u, gdi.Live());
  // The DC gets its stock font back.
  EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(canvas.Dc(), OBJ_FONT));
}

// ---- Text on the colour key ----

// Run again with font smoothing on (see CMakeLists.txt). Every pixel that
// the overlay and the panel put in their windows is the key or a colour they
// paint: a smoothed glyph's edge would be a blend of the key and the text,
// which the key does not cut out and which shows as a fringe over the video.
using OverlayCrispTextTest = OverlayPaintTest;

TEST_F(OverlayCrispTextTest, NoPixelBlendsTheKeyWithTheText) {
  content_.content.hostBusy = content_.content.hostRecording = 1;
  content_.content.recordingTimeKnown = true;
  SetProgramme("2026/12/08 20:00 - 21:00\r\n\x98\x5e\x89\xe6 Evening news");  // 録画
  Show(1, 5, kOverlayAll, 1);
  ShowWindow(Panel(), SW_SHOWNOACTIVATE);
  for (HWND window : {Overlay(), Panel()}) UpdateWindow(window);
  PumpMessages();

  const COLORREF painted[] = {kGrey, kOverlayBlack, kOverlayRed, kOverlayGreen, kOverlayWhite};
  for (HWND window : {Overlay(), Panel()}) {
    const char* name = window == Panel() ? "panel" : "overlay";
    const RECT r = WindowRect(window);
    Canvas shown(r.right - r.left, r.bottom - r.top);
    HDC windowDc = GetDC(window);
    BitBlt(shown.Dc(), 0, 0, shown.Width(), shown.Height(), windowDc, 0, 0, SRCCOPY);
    ReleaseDC(window, windowDc);
    const RECT all = {0, 0, shown.Width(), shown.Height()};
    int blended = 0;
    for (COLORREF pixel : shown.Pixels(all)) {
      if (std::find(std::begin(painted), std::end(painted), pixel) != std::end(painted)) continue;
      if (blended++ < 5) ADD_FAILURE() << name << std::hex << ": pixel 0x" << pixel;
    }
    EXPECT_EQ(0, blended) << name;
    // The text is there: the overlay's outlines, the panel's numbers and lines.
    EXPECT_GT(shown.Count(all, window == Panel() ? kOverlayGreen : kOverlayBlack), 2000) << name;
  }
}

// ---- Remote panel ----

using RemotePanelTest = OverlayTest;

TEST_F(RemotePanelTest, CreatedHiddenWithItsClassSizeAndPosition) {
  HWND panel = Panel();
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
  HWND panel = Panel();
  ShowWindow(panel, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(IsWindowVisible(panel));
  SendMessageA(panel, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_TRUE(IsWindow(panel));
  EXPECT_EQ(panel, Panel());
}

TEST_F(RemotePanelTest, PaintsTwelveSquaresAndNumbersAndRestoresThePen) {
  Canvas canvas(180, 100);
  canvas.Fill(kGrey);
  HGDIOBJ pen = GetCurrentObject(canvas.Dc(), OBJ_PEN);
  {
    testsupport::GdiObjectCounter gdi;
    ASSERT_TRUE(gdi.Installed());
    for (int i = 0; i < 50; ++i) panel_.PaintRemotePanel(canvas.Dc());
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
  EXPECT_EQ(5, runs(true, 76, 100));  // frame + four column edges
  EXPECT_EQ(6, runs(false, 7, 100));  // frame + five row edges, frame bottom
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
