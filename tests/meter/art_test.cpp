// The artwork as the system's loaders read it from the program's resources:
// every size of every icon, the menu strip and the splitter cursor with its
// hot spot in the middle.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

struct Loaded {
  int width = 0, height = 0;
  DWORD hotX = 0, hotY = 0;
};

Loaded Inspect(UINT type, int id, int size) {
  Loaded out;
  HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), type, size, size, LR_DEFAULTCOLOR);
  if (!image) return out;
  if (type == IMAGE_BITMAP) {
    GdiHandle<HBITMAP> bitmap(static_cast<HBITMAP>(image));
    BITMAP bm{};
    GetObject(bitmap.Get(), sizeof bm, &bm);
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    return out;
  }
  IconHandle icon(static_cast<HICON>(image));  // cursors are destroyed the same way
  ICONINFO info{};
  if (!GetIconInfo(icon.Get(), &info)) return out;
  GdiHandle<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  GetObject(color ? color.Get() : mask.Get(), sizeof bm, &bm);
  out.width = bm.bmWidth;
  out.height = color ? bm.bmHeight : bm.bmHeight / 2;  // a two-colour cursor stacks its masks
  out.hotX = info.xHotspot;
  out.hotY = info.yHotspot;
  return out;
}

TEST(Artwork, EveryIconSizeLoads) {
  struct Case {
    int id, size;
  } cases[] = {{128, 16}, {128, 32}, {128, 48}, {140, 16}, {141, 16}, {142, 16}, {143, 16}};
  for (const Case& c : cases) {
    const Loaded icon = Inspect(IMAGE_ICON, c.id, c.size);
    EXPECT_EQ(icon.width, c.size) << c.id;
    EXPECT_EQ(icon.height, c.size) << c.id;
  }
}

TEST(Artwork, MenuStripHoldsFiveImages) {
  const Loaded strip = Inspect(IMAGE_BITMAP, 136, 0);
  EXPECT_EQ(strip.width, 80);
  EXPECT_EQ(strip.height, 16);
}

TEST(Artwork, SplitterCursorPointsAtItsMiddle) {
  const Loaded cursor = Inspect(IMAGE_CURSOR, 30981, 32);
  EXPECT_EQ(cursor.width, 32);
  EXPECT_EQ(cursor.height, 32);
  EXPECT_EQ(cursor.hotX, 15u);
  EXPECT_EQ(cursor.hotY, 15u);
}

}  // namespace
}  // namespace qm
