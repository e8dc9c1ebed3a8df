// The remote panel: a hidden layered pop-up with twelve numbered green
// squares on a colour-keyed background. It only draws itself.
#pragma once
#include <windows.h>

class RemotePanel {
 public:
  RemotePanel() = default;
  RemotePanel(const RemotePanel&) = delete;
  RemotePanel& operator=(const RemotePanel&) = delete;

  // Creates the hidden window, owned by `ownerWindow`, erasing with
  // `background` (the overlay's grey brush, which the overlay owns and
  // outlives the panel).
  void CreateRemotePanel(HINSTANCE instance, HWND ownerWindow, HBRUSH background);
  void DestroyRemotePanel();
  HWND Window() const { return window_; }
  // Draws the frame, the squares and their numbers into `dc`.
  void PaintRemotePanel(HDC dc) const;

 private:
  static LRESULT CALLBACK RemotePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HBRUSH background_ = nullptr;
};
