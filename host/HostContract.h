// What the plug-in relies on of the host viewer: the titles and classes of
// its windows, the ids of its controls, the commands it answers and its SDK.
// One name each; the Japanese titles are in ShiftJisTexts.h.
#pragma once
#include <cstdint>

#include "ShiftJisTexts.h"

namespace host {

// ---- Windows ----
// The main window (handed to Create; listed under this fixed title).
inline constexpr char kMainTitle[] = "Zentu HDTV Player";
// Titles that name the windows the main window owns.
inline constexpr const char* kProgrammeWindowTitle = sjis::kProgrammeWindowTitle;  // a prefix
inline constexpr const char* kProgrammeListTitle = sjis::kProgrammeInformation;    // also a prefix
inline constexpr const char* kRemoteWindowTitle = sjis::kRemoteWindowTitle;        // a prefix
inline constexpr char kVideoTitle[] = "Video";                                     // exactly
// Without an owned video window: the utility window and its child "Video".
inline constexpr char kUtilityClass[] = "ZentuUtil32";
inline constexpr char kUtilityListTitle[] = "ZentuUtil";
// The main window's status bar (a direct child).
inline constexpr char kStatusBarClass[] = "WTL_MultiPaneStatusBar";

// ---- Main window ----
inline constexpr int kRecordingTextControl = 1012;  // "Recording" or "録画中" while recording
inline constexpr int kRecordMinutesControl = 1015;  // minutes of a recording about to start
inline constexpr int kMuteCheckBox = 1034;          // also the command that applies it
inline constexpr int kRecordToggleCommand = 1009;   // starts or stops a recording
inline constexpr int kRecordRestartCommand = 1016;  // record start while recording
inline constexpr char kRecordingEnglish[] = "Recording";
inline constexpr const char* kRecordingJapanese = sjis::kRecording;
inline constexpr char kRecordMinutes[] = "30";

// ---- Remote window ----
inline constexpr int kChannelCount = 12;
// The channel buttons, CH1 to CH12 (not ascending: CH2 is 1008, CH3 1007).
inline constexpr int kChannelButtonIds[kChannelCount] = {1006, 1008, 1007, 1009, 1010, 1011,
                                                         1012, 1013, 1025, 1026, 1027, 1028};
inline constexpr int kCurrentChannelControl = 1021;  // the tuned channel's name
inline constexpr int kBusyControl = 1018;            // disabled while the host is busy

// ---- Programme-information window ----
inline constexpr int kProgrammeTextControl = 1003;
inline constexpr int kProgrammeToggleCommand = 1021;                     // switches present / next programme
inline constexpr const char* kNextProgrammeMark = sjis::kNextProgramme;  // in the title while next is shown

// ---- Video window ----
inline constexpr int kFullScreenCommand = 40001;

// ---- SDK ----
inline constexpr uint32_t kAcceptedSdkMajor = 1;             // bits 16 to 23 of the version
inline constexpr uint32_t kSdkVersionWithQuit = 0x00010400;  // its host interface can quit
inline constexpr int kHostQuitSlot = 6;                      // the host interface's seventh slot

}  // namespace host
