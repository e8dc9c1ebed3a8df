// The status overlay: a colour-keyed layered pop-up laid for a few seconds
// over the host's video window, showing outlined text items. It owns its
// window, its countdown, content flags and recording-stopped marker, the
// window it is laid over and the grey brush that its window and the remote
// panel erase with.
#pragma once
#include <windows.h>

#include <cstdint>

#include "OverlayContent.h"

class StatusOverlay {
 public:
  StatusOverlay() = default;
  StatusOverlay(const StatusOverlay&) = delete;
  StatusOverlay& operator=(const StatusOverlay&) = delete;

  // Creates the hidden window, owned by `ownerWindow`; its items come from
  // `source` whenever it paints.
  void CreateStatusOverlay(HINSTANCE instance, HWND ownerWindow, OverlayContentSource* source);
  // Destroys the window; its WM_DESTROY deletes the grey brush, once.
  void DestroyStatusOverlay();

  // A show request (see DecideOverlayRequest): over `videoWindow`, for
  // `seconds`, adding `contentFlags`; `show` 0 hides.
  void ShowStatusOverlay(int32_t show, int32_t seconds, int32_t contentFlags, int32_t permitted,
                         HWND videoWindow);
  // Hides the overlay and clears countdown, flags and marker.
  void HideStatusOverlay();
  // The monitoring timer's second: count down, follow the anchor, or hide.
  void TickStatusOverlay();
  // The record-stop command: the recording item reads "録画停止" until the
  // overlay next hides.
  void MarkRecordingStopped() { recordingStopped_ = 1; }
  // Draws the items of the current state into `dc`, sized as the window.
  // False when the overlay's object went away while its items were read:
  // nothing of it may be touched then.
  bool PaintStatusOverlay(HDC dc);

  HWND Window() const { return window_; }
  HBRUSH GreyBrush() const { return greyBrush_; }
  bool IsUp() const { return displayCountdown_ > 0; }
  int32_t DisplayCountdown() const { return displayCountdown_; }
  int32_t ContentFlags() const { return contentFlags_; }
  int32_t RecordingStopped() const { return recordingStopped_; }
  HWND AnchorWindow() const { return anchorWindow_; }

 private:
  static LRESULT CALLBACK StatusOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroy(HWND window);
  LRESULT OnPaint(HWND window);

  HWND window_ = nullptr;
  OverlayContentSource* source_ = nullptr;
  int32_t displayCountdown_ = 0;
  int32_t contentFlags_ = 0;
  int32_t recordingStopped_ = 0;
  HWND anchorWindow_ = nullptr;
  HBRUSH greyBrush_ = nullptr;
};
