// The tray icon: its data, its two images and whether the shell holds it.
// Every Shell_NotifyIconA call of the plug-in is made here.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

constexpr UINT kTrayCallbackMessage = WM_APP + 100;  // 0x8064
constexpr UINT kTrayIconId = 102;

class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Loads the normal and the recording image from the icon resources at the
  // small-icon size and learns the message the shell broadcasts when it
  // restarts.
  void Prepare(HINSTANCE instance);
  // Icons of the caller's, which stays their owner.
  void UseIcons(HICON normal, HICON recording);
  // The dpi or the settings changed: the images are loaded again when the
  // small-icon size differs, and the shell gets the new one.
  void OnDisplayChange();
  HICON NormalIcon() const { return normalIcon_; }
  HICON RecordingIcon() const { return recordingIcon_; }

  // Adds the icon for `owner` with the normal image and the default tip;
  // a refused NIM_ADD is retried on every tick.
  void AddTrayIcon(HWND owner);
  void RetryTrayIconIfPending();
  // A tick's call to the shell, which this thread waits for as long as the
  // shell takes: the pending NIM_ADD (with its NIM_MODIFY question), else a
  // NIM_MODIFY that failed or is owed.
  void CallShellOnce();
  // The shell's "TaskbarCreated": the notification area was rebuilt.
  void OnTaskbarCreated();
  void RemoveTrayIcon();
  // Switches the image, telling the shell by the next CallShellOnce, and
  // only when it changes.
  void WantImage(bool recording);
  // WantImage and CallShellOnce at once.
  void ShowImage(bool recording);
  // Sends the data as it is (NIM_MODIFY, NIM_DELETE ...).
  BOOL NotifyTray(DWORD message);
  // Whether the icon asks the shell for keyboard notifications (Enter or
  // Space on the focused icon send NIN_KEYSELECT); sent once it is added.
  void AnswerKeyboard(bool on);
  // A composed tip or the default one, sent when it changes; a failed
  // NIM_MODIFY is owed to the next tick.
  void SetComposedTip(const char* tip);
  void SetDefaultTip();
  // A balloon from the icon (NIF_INFO) that respects the user's quiet time;
  // nothing while the shell does not hold the icon. Later changes of the
  // data do not show it again.
  void ShowNotice(const char* title, const char* text);

  const NOTIFYICONDATAA& Data() const { return data_; }
  int32_t TipIsDefault() const { return tipIsDefault_; }
  int32_t Added() const { return added_; }
  int32_t Pending() const { return pending_; }
  UINT TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }
  // SHQueryUserNotificationState's answer (UserNotificationState), looked
  // up at run time: it exists from Windows Vista on.
  static int32_t QueryNotificationState();

 private:
  void ListenForTaskbarCreated(HWND owner);
  void SendVersion();
  void LoadIcons();
  void FreeLoadedIcons();
  void Modify();

  NOTIFYICONDATAA data_;
  HINSTANCE instance_ = nullptr;
  HICON normalIcon_ = nullptr;
  HICON recordingIcon_ = nullptr;
  bool iconsLoaded_ = false;  // the two icons are ours to destroy
  int loadedWidth_ = 0;
  int loadedHeight_ = 0;
  int32_t tipIsDefault_ = 0;
  int32_t added_ = 0;          // the shell holds the icon
  int32_t pending_ = 0;        // asked for; NIM_ADD not accepted yet
  int32_t modifyPending_ = 0;  // the shell has not got the data's image or tip yet
  UINT taskbarCreatedMessage_ = 0;
  bool answerKeyboard_ = false;
};
