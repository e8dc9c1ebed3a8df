// The library's resources as the plug-in loads them: the controller dialog,
// the tray menu and the two icons, with their texts read as Shift_JIS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginHarness.h"

namespace {

std::string MenuText(HMENU menu, UINT item, UINT flags) {
  char text[128] = {};
  GetMenuStringA(menu, item, text, sizeof text, flags);
  return text;
}

struct MenuItem {
  UINT id;  // 0: separator or pop-up
  const char* text;
};

void ExpectMenu(HMENU menu, const std::vector<MenuItem>& expected) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    const MenuItem& item = expected[i];
    if (item.text == nullptr) {
      EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) << i;
      continue;
    }
    EXPECT_EQ(MenuText(menu, static_cast<UINT>(i), MF_BYPOSITION), item.text) << i;
    if (item.id != 0) {
      EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), item.id) << i;
    }
  }
}

TEST(Resources, TrayMenuHasTheListedItemsAndTexts) {
  HMENU resource = LoadMenuA(GetModuleHandleA(nullptr), "IDR_POPUP");
  ASSERT_NE(resource, nullptr);
  ASSERT_EQ(GetMenuItemCount(resource), 1);
  EXPECT_EQ(MenuText(resource, 0, MF_BYPOSITION), "TASKTRAY");
  HMENU tray = GetSubMenu(resource, 0);
  ExpectMenu(tray, {
                       {1009, "ZentuView\x82\xCC\x8F\x49\x97\xB9"},  // ZentuViewの終了
                       {0, nullptr},
                       {0, "\x91\x80\x8D\xEC"},  // 操作
                       {0, nullptr},
                       {0, nullptr},
                       {1008,
                        "\x91\x53\x82\xC4\x82\xCC\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xF0\x89\x42\x82"
                        "\xB7"},  // 全てのウィンドウを隠す
                       {1007,
                        "\x91\x53\x82\xC4\x82\xCC\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xF0\x95\x9C\x8C"
                        "\xB3"},  // 全てのウィンドウを復元
                       {0, nullptr},
                       {0, "\x90\xDD\x92\xE8"},  // 設定
                   });
  HMENU operations = GetSubMenu(tray, 2);
  ASSERT_NE(operations, nullptr);
  std::vector<MenuItem> expected = {
      {1031, "\x83\x74\x83\x8B\x83\x58\x83\x4E\x83\x8A\x81\x5B\x83\x93"},  // フルスクリーン
      {0, nullptr}};
  for (int channel = 12; channel >= 1; --channel) {
    static std::string names[13];
    names[channel] = "CH" + std::to_string(channel);
    expected.push_back({static_cast<UINT>(1018 + channel), names[channel].c_str()});
  }
  const std::vector<MenuItem> rest = {
      {0, nullptr},
      {1033, "\x83\x60\x83\x83\x83\x93\x83\x6C\x83\x8B\x81\xAA"},  // チャンネル↑
      {1034, "\x83\x60\x83\x83\x83\x93\x83\x6C\x83\x8B\x81\xAB"},  // チャンネル↓
      {0, nullptr},
      {1018, "\x98\x5E\x89\xE6\x92\xE2\x8E\x7E"},                                  // 録画停止
      {1017, "\x98\x5E\x89\xE6\x8A\x4A\x8E\x6E"},                                  // 録画開始
      {1106, "\x94\xD4\x91\x67\x8F\x49\x97\xB9\x82\xDC\x82\xC5\x98\x5E\x89\xE6"},  // 番組終了まで録画
      {1110,
       "\x8E\x9F\x82\xCC\x94\xD4\x91\x67\x82\xC5\x8C\xC4\x82\xD1\x8F\x6F\x82\xB7"},  // 次の番組で呼び出す
      {1012, "\x8F\xC1\x89\xB9"},                                                    // 消音
      {0, nullptr},
      {1032, "\x95\x5C\x8E\xA6"},  // 表示
      // 上記操作を行ったら表示を行う
      {1035,
       "\x8F\xE3\x8B\x4C\x91\x80\x8D\xEC\x82\xF0\x8D\x73\x82\xC1\x82\xBD\x82\xE7\x95\x5C\x8E\xA6\x82\xF0\x8D"
       "\x73\x82\xA4"},
  };
  expected.insert(expected.end(), rest.begin(), rest.end());
  ExpectMenu(operations, expected);
  // The 設定 pop-up, in its Shift_JIS texts.
  const std::vector<MenuItem> settings = {
      // 最小化時にタスクトレイに格納する
      {1100,
       "\x8D\xC5\x8F\xAC\x89\xBB\x8E\x9E\x82\xC9\x83\x5E\x83\x58\x83\x4E\x83\x67\x83\x8C\x83\x43\x82\xC9\x8A"
       "\x69\x94\x5B\x82\xB7\x82\xE9"},
      {0, nullptr},
      // クリックでは何もしない
      {1101, "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xC5\x82\xCD\x89\xBD\x82\xE0\x82\xB5\x82\xC8\x82\xA2"},
      // クリックで全てのウィンドウを復元
      {1102,
       "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xC5\x91\x53\x82\xC4\x82\xCC\x83\x45\x83\x42\x83\x93\x83\x68\x83"
       "\x45\x82\xF0\x95\x9C\x8C\xB3"},
      // クリックで隠す/復元を切り替える
      {1103,
       "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xC5\x89\x42\x82\xB7\x2F\x95\x9C\x8C\xB3\x82\xF0\x90\xD8\x82\xE8"
       "\x91\xD6\x82\xA6\x82\xE9"},
      {0, nullptr},
      // ボスキー
      {1104, "\x83\x7B\x83\x58\x83\x4C\x81\x5B"},
      // ボスキーで消音する
      {1105, "\x83\x7B\x83\x58\x83\x4C\x81\x5B\x82\xC5\x8F\xC1\x89\xB9\x82\xB7\x82\xE9"},
      {0, nullptr},
      // チップに放送の番組情報を表示
      {1107,
       "\x83\x60\x83\x62\x83\x76\x82\xC9\x95\xFA\x91\x97\x82\xCC\x94\xD4\x91\x67\x8F\xEE\x95\xF1\x82\xF0\x95"
       "\x5C\x8E\xA6"},
      // 表示に次の番組を含める
      {1108, "\x95\x5C\x8E\xA6\x82\xC9\x8E\x9F\x82\xCC\x94\xD4\x91\x67\x82\xF0\x8A\xDC\x82\xDF\x82\xE9"},
      // 番組が変わったら通知する
      {1109,
       "\x94\xD4\x91\x67\x82\xAA\x95\xCF\x82\xED\x82\xC1\x82\xBD\x82\xE7\x92\xCA\x92\x6D\x82\xB7\x82\xE9"},
  };
  ExpectMenu(GetSubMenu(tray, 8), settings);
  DestroyMenu(resource);
}

TEST(Resources, ControllerDialogTextsAndStyles) {
  testsupport::PluginHarness harness;
  ASSERT_TRUE(harness.Create(false));
  {
    CSamplePlugin& plugin = harness.Plugin();
    HWND dialog = plugin.GetController().Window();
    ASSERT_NE(dialog, nullptr);
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    char text[64] = {};
    GetDlgItemTextA(dialog, 1015, text, sizeof text);
    EXPECT_STREQ(text, "NoCard\x91\xCE\x8D\xF4");  // NoCard対策
    GetDlgItemTextA(dialog, 1016, text, sizeof text);
    EXPECT_STREQ(
        text,
        "\x98\x5E\x89\xE6\x8E\x9E\x82\xCD\x91\xCE\x8D\xF4\x82\xB5\x82\xC8\x82\xA2");  // 録画時は対策しない
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, 1016), GWL_STYLE) & 0x0F, BS_AUTOCHECKBOX);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, 1015), GWL_STYLE) & WS_TABSTOP);

    // The label has id -1: find it by its text.
    bool labelFound = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      GetWindowTextA(child, text, sizeof text);
      if (std::string(text) == "\x90\xDD\x92\xE8:") labelFound = true;  // 設定:
    }
    EXPECT_TRUE(labelFound);
  }
}

// Draws an icon on white and returns its pixels, top row first.
std::vector<COLORREF> IconPixels(HICON icon, int size) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int CountColour(const std::vector<COLORREF>& pixels, COLORREF colour) {
  int count = 0;
  for (COLORREF pixel : pixels) count += pixel == colour ? 1 : 0;
  return count;
}

TEST(Resources, IconsOfEverySizeAndOnlyTheRecordingOneIsRed) {
  for (int size : {16, 20, 24, 32}) {
    HICON normal =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "IDR_MAINFRAME", IMAGE_ICON, size, size, 0));
    HICON recording = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "IDR_MAINFRAME2", IMAGE_ICON, size, size, 0));
    ASSERT_NE(normal, nullptr) << size;
    ASSERT_NE(recording, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(normal, &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, size);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    const std::vector<COLORREF> normalPixels = IconPixels(normal, size);
    const std::vector<COLORREF> recordingPixels = IconPixels(recording, size);
    EXPECT_EQ(CountColour(normalPixels, RGB(255, 0, 0)), 0) << size;
    EXPECT_GT(CountColour(recordingPixels, RGB(255, 0, 0)), size / 2) << size;
    EXPECT_GT(CountColour(normalPixels, RGB(0, 0, 255)), size * size / 8) << size;  // the screen
    EXPECT_GT(CountColour(normalPixels, RGB(255, 255, 255)), 0) << size;            // transparent corners
    DestroyIcon(normal);
    DestroyIcon(recording);
  }
}

}  // namespace
