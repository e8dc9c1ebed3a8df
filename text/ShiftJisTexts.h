// Every Japanese text the plug-in shows or compares, as the Shift_JIS (code
// page 932) bytes it uses, each beside its spelling. A native test decodes
// each entry and compares it with the spelling, so a slip in an escape fails
// a test. (The menu and dialog texts live in the resource script.)
#pragma once

// The table's columns are aligned by hand.
// clang-format off
//        name                       Shift_JIS bytes                                     spelling
#define ZENTU_SHIFT_JIS_TEXTS(X)                                                                                     \
  X(kProgrammeInformation, "\x94\xd4\x91\x67\x8f\xee\x95\xf1", "番組情報")                                        \
  X(kProgrammeWindowTitle, "Zentu - \x94\xd4\x91\x67\x8f\xee\x95\xf1 -", "Zentu - 番組情報 -")                    \
  X(kNextProgramme, "\x8e\x9f\x94\xd4\x91\x67", "次番組")                                                           \
  X(kNotFixed, "\x96\xa2\x92\xe8", "未定")                                                                         \
  X(kRemoteWindowTitle, "\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8", "リモコンっぽい物")    \
  X(kRecording, "\x98\x5e\x89\xe6\x92\x86", "録画中")                                                               \
  X(kRecordingStopped, "\x98\x5e\x89\xe6\x92\xe2\x8e\x7e", "録画停止")                                             \
  X(kRecordingTimeFormat, "\x98\x5e\x89\xe6\x92\x86(%02d:%02d:%02d)", "録画中(%02d:%02d:%02d)")                     \
  X(kCloseQuestionCaption, "ZentuView\x82\xcc\x8f\x49\x97\xb9", "ZentuViewの終了")                                 \
  X(kCloseQuestionFormat,                                                                                            \
    "\x81\x75%s\x81\x76\x82\xaa\x98\x5e\x89\xe6\x82\xf0\x8e\xc0\x8d\x73\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81" \
    "\x42\r\nZentuView\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xe0\x82\xa2\x82\xa2\x82\xc5\x82\xb7\x82\xa9?",   \
    "「%s」が録画を実行しています。\r\nZentuViewを終了してもいいですか?")                                          \
  X(kPluginCaption, "\x83\x5e\x83\x58\x83\x4e\x83\x67\x83\x8c\x83\x43\x8a\xc7\x97\x9d", "タスクトレイ管理")        \
  X(kProgrammeFormat, "%s\r\n\x81\x79%s\x81\x7a\r\n", "%s\r\n【%s】\r\n")                                          \
  X(kProgrammeTimesFormat, "%s %s \x81\x60 %s", "%s %s ～ %s")                                                    \
  X(kProgrammeTimesWithoutStartFormat, "%s \x81\x60 %s", "%s ～ %s")                                              \
  X(kBossKeyItemFormat, "\x83\x7b\x83\x58\x83\x4c\x81\x5b (%s)", "ボスキー (%s)")                                    \
  X(kBossKeyTakenItem, "\x83\x7b\x83\x58\x83\x4c\x81\x5b (\x8e\x67\x97\x70\x92\x86)", "ボスキー (使用中)")                  \
  X(kTimeLeftFormat, "\x82\xa0\x82\xc6%d\x95\xaa", "あと%d分")                                                   \
  X(kFollowingMark, "\x81\xa8", "→")                                                                            \
  X(kNextMark, "\x8e\x9f", "次")
// clang-format on

namespace sjis {
#define ZENTU_DECLARE_SHIFT_JIS_TEXT(name, bytes, spelling) inline constexpr char name[] = bytes;
ZENTU_SHIFT_JIS_TEXTS(ZENTU_DECLARE_SHIFT_JIS_TEXT)
#undef ZENTU_DECLARE_SHIFT_JIS_TEXT
}  // namespace sjis
