// The records the tray icon sends to the shell: which icon for which
// sample, the tip as stored, the delete-and-add answer to a refused modify,
// the live miniature only where it can be shown, and the icon brought back
// after the notification area was re-created.

#include "meter/win32/tray_icon.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm {
namespace {

constexpr UINT kIconId = 104;
constexpr UINT kCallback = 32778;
const TrayIconIds kIds{kIconId, kCallback, {140, 141, 142, 143}};
const HWND kOwner = reinterpret_cast<HWND>(0x4711);

struct Sent {
  DWORD action;
  UINT flags;
  HICON icon;
  std::string tip;
  COLORREF pixel;  // of the icon's colour image at (7, 3), CLR_INVALID without
};

COLORREF IconPixel(HICON icon, int x, int y) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return CLR_INVALID;
  MemoryDcHandle dc(CreateCompatibleDC(nullptr));
  GdiHandle<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
  HGDIOBJ old = SelectObject(dc.Get(), color.Get());
  const COLORREF pixel = GetPixel(dc.Get(), x, y);
  SelectObject(dc.Get(), old);
  return pixel;
}

// Records every call; refuses modifies while `refuseModify` is set.
class RecordingShell : public NotifyIconShell {
 public:
  bool Notify(DWORD action, const NOTIFYICONDATAA& r) override {
    EXPECT_EQ(r.cbSize, kTrayRecordSize);
    EXPECT_EQ(r.hWnd, kOwner);
    EXPECT_EQ(r.uID, kIconId);
    EXPECT_EQ(r.uCallbackMessage, kCallback);
    sent.push_back({action, r.uFlags, r.hIcon, r.szTip, IconPixel(r.hIcon, 7, 3)});
    return !(refuseModify && action == NIM_MODIFY);
  }
  std::vector<Sent> Take() { return std::exchange(sent, {}); }

  std::vector<Sent> sent;
  bool refuseModify = false;
};

constexpr UINT kAll = NIF_MESSAGE | NIF_ICON | NIF_TIP;

class TrayIconTest : public testing::Test {
 protected:
  TrayIcon MakeTray(bool colorIcons) {
    return TrayIcon(kOwner, GetModuleHandleA(nullptr), kIds, colorIcons, shell);
  }
  void Push(uint32_t down, uint32_t up) { record.history.push_front({down, up, 0, 0}); }

  RecordingShell shell;
  Options options;
  AdapterRecord record = [] {
    AdapterRecord r;
    r.displayName = "eth0";
    r.ipAddress = "198.51.100.7";
    return r;
  }();
};

TEST_F(TrayIconTest, StaticIconsComeFromTheProgramsResources) {
  TrayIcon tray = MakeTray(false);
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(tray.StaticIcon(i), nullptr) << i;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(tray.StaticIcon(i), &info));
    GdiHandle<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObject(color.Get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
  }
}

TEST_F(TrayIconTest, InitialIconIsAddedOnlyWhenTheLiveGraphIsNotInEffect) {
  struct Case {
    bool colorIcons, showGraph, dispIcon, added;
  } cases[] = {
      {false, true, true, true},    // no colour icons: static from the start
      {true, false, true, true},    // live graph not wanted
      {true, true, true, false},    // the first refresh adds the live icon
      {false, false, false, false}, // no tray icon at all
  };
  for (const Case& c : cases) {
    TrayIcon tray = MakeTray(c.colorIcons);
    options.ShowGraphInSystray = c.showGraph;
    options.DispIconSystray = c.dispIcon;
    tray.AddInitial(options);
    const std::vector<Sent> sent = shell.Take();
    if (!c.added) {
      EXPECT_TRUE(sent.empty()) << c.colorIcons << c.showGraph << c.dispIcon;
      continue;
    }
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].action, DWORD(NIM_ADD));
    EXPECT_EQ(sent[0].flags, kAll);
    EXPECT_EQ(sent[0].icon, tray.StaticIcon(0));
    EXPECT_EQ(sent[0].tip, "Quellmark");
  }
}

TEST_F(TrayIconTest, StaticIconFollowsTheNewestSampleAndChangesOnlyWhenItMust) {
  TrayIcon tray = MakeTray(false);
  tray.AddInitial(options);
  shell.Take();
  struct Step {
    uint32_t down, up;
    int icon;     // expected static icon
    UINT flags;   // icon and tip when it changes, tip alone otherwise
  } steps[] = {
      {900, 0, 2, NIF_ICON | NIF_TIP},  {500, 0, 2, NIF_TIP},
      {0, 0, 0, NIF_ICON | NIF_TIP},    {0, 40, 1, NIF_ICON | NIF_TIP},
      {7, 40, 3, NIF_ICON | NIF_TIP},   {7, 1, 3, NIF_TIP},
  };
  for (const Step& s : steps) {
    Push(s.down, s.up);
    tray.Refresh(record, 1000u, options);  // no colour icons: the view changes nothing
    const std::vector<Sent> sent = shell.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].action, DWORD(NIM_MODIFY));
    EXPECT_EQ(sent[0].flags, s.flags) << s.down << "/" << s.up;
    EXPECT_EQ(sent[0].icon, tray.StaticIcon(s.icon)) << s.down << "/" << s.up;
  }
}

TEST_F(TrayIconTest, TipIsBuiltFromTheRecordAndStoredInAtMost63Characters) {
  TrayIcon tray = MakeTray(false);
  Push(2048, 1024);
  options.DisplayUnitByte = true;
  tray.Refresh(record, std::nullopt, options);
  EXPECT_EQ(shell.Take().at(0).tip, "eth0 [198.51.100.7]\nDw: 2.00 KB/s  Up: 1.00 KB/s");

  record.displayName = std::string(100, 'n');
  options.ShowAdapterIPInSystrayTips = false;
  tray.Refresh(record, std::nullopt, options);
  const std::string tip = shell.Take().at(0).tip;
  EXPECT_EQ(tip.size(), 63u);
  EXPECT_EQ(tip, std::string(34, 'n') + "\nDw: 2.00 KB/s  Up: 1.00 KB/s");
}

TEST_F(TrayIconTest, RefusedModifyIsAnsweredByDeleteAndAdd) {
  TrayIcon tray = MakeTray(false);
  shell.refuseModify = true;
  for (bool sameIcon : {false, true}) {  // icon and tip, then tip alone
    Push(0, 10);
    tray.Refresh(record, std::nullopt, options);
    const std::vector<Sent> sent = shell.Take();
    ASSERT_EQ(sent.size(), 3u) << sameIcon;
    EXPECT_EQ(sent[0].action, DWORD(NIM_MODIFY));
    EXPECT_EQ(sent[1].action, DWORD(NIM_DELETE));
    EXPECT_EQ(sent[1].flags, UINT(NIF_MESSAGE));
    EXPECT_EQ(sent[2].action, DWORD(NIM_ADD));
    EXPECT_EQ(sent[2].flags, kAll);
    EXPECT_EQ(sent[2].icon, tray.StaticIcon(1));
    EXPECT_EQ(sent[2].tip, sent[0].tip);
  }
}

TEST_F(TrayIconTest, LiveMiniatureOnlyWithColourIconsTheOptionAndAView) {
  struct Case {
    bool colorIcons, showGraph, hasView, live;
  } cases[] = {
      {true, true, true, true},
      {false, true, true, false},  // an old system
      {true, false, true, false},  // not wanted
      {true, true, false, false},  // the tray adapter is not monitored
  };
  options.GraphBkgColor = 0x405060;
  for (const Case& c : cases) {
    TrayIcon tray = MakeTray(c.colorIcons);
    options.ShowGraphInSystray = c.showGraph;
    record.history.clear();
    Push(0, 0);
    tray.Refresh(record, c.hasView ? std::optional<uint32_t>(1000) : std::nullopt, options);
    const std::vector<Sent> sent = shell.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].flags, UINT(NIF_ICON | NIF_TIP));
    if (c.live) {  // a built icon in the view's background colour
      EXPECT_EQ(sent[0].pixel, COLORREF(0x405060));
      for (int i = 0; i < 4; ++i) EXPECT_NE(sent[0].icon, tray.StaticIcon(i));
    } else {
      EXPECT_EQ(sent[0].icon, tray.StaticIcon(0))
          << c.colorIcons << c.showGraph << c.hasView;
    }
  }
}

TEST_F(TrayIconTest, LiveIconSwitchingBackToStaticSendsTheStaticIcon) {
  TrayIcon tray = MakeTray(true);
  Push(5, 0);
  tray.Refresh(record, 1000u, options);  // live
  tray.Refresh(record, std::nullopt, options);  // the view went away
  const std::vector<Sent> sent = shell.Take();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].flags, UINT(NIF_ICON | NIF_TIP));
  EXPECT_EQ(sent[1].icon, tray.StaticIcon(2));
}

TEST_F(TrayIconTest, RestoreAddsTheIconShownLastAndNothingAfterRemove) {
  for (bool colorIcons : {false, true}) {
    TrayIcon tray = MakeTray(colorIcons);
    tray.Restore();  // nothing shown yet
    EXPECT_TRUE(shell.Take().empty());

    Push(0, 3);
    tray.Refresh(record, 1000u, options);
    const Sent shown = shell.Take().at(0);
    tray.Restore();
    std::vector<Sent> sent = shell.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].action, DWORD(NIM_ADD));
    EXPECT_EQ(sent[0].flags, kAll);
    EXPECT_EQ(sent[0].icon, shown.icon);
    EXPECT_EQ(sent[0].tip, shown.tip);
    EXPECT_EQ(sent[0].pixel, shown.pixel);  // still a valid icon

    tray.Remove();
    sent = shell.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].action, DWORD(NIM_DELETE));
    EXPECT_EQ(sent[0].flags, UINT(NIF_MESSAGE));
    tray.Restore();
    EXPECT_TRUE(shell.Take().empty());
  }
}

}  // namespace
}  // namespace qm
