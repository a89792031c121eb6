#include "meter/tray_tip.h"

#include <algorithm>
#include <vector>

#include "format/amount.h"

namespace qm {

std::string CutTrayTip(const std::string& tip) { return tip.substr(0, kTrayTipMax); }

std::string BuildTrayTip(const TrayTipInput& in) {
  const std::string name = in.showName ? in.name : std::string();
  const std::string ip = in.showIp ? in.ip : std::string();
  const std::string rates = "Dw: " + FormatRate(in.newest.download, in.unitBytes) +
                            "  Up: " + FormatRate(in.newest.upload, in.unitBytes);
  const long A = long(name.size()), B = long(ip.size()), C = long(rates.size());
  std::string tip;
  if (!name.empty() && !ip.empty()) {
    if (A + B + C < 60)
      tip = name + " [" + ip + "]\n" + rates;
    else if (59 - C - B > 0)
      tip = name.substr(0, size_t(59 - C - B)) + " [" + ip + "]\n" + rates;
    else if (B + C == 59)
      tip = ip + "\n" + rates;
    else
      tip = rates;
  } else if (!name.empty()) {
    const long keep = A + C > 62 ? std::max(0L, 62 - C) : A;
    tip = name.substr(0, size_t(keep)) + "\n" + rates;
  } else {
    tip = ip.empty() || B + C >= 63 ? rates : ip + "\n" + rates;
  }
  return CutTrayTip(tip);
}

int StaticTrayIconIndex(const RateSample& newest) {
  return (newest.download > 0 ? 2 : 0) + (newest.upload > 0 ? 1 : 0);
}

namespace {

int MiniHeight(uint32_t value, uint32_t max, int full) {
  if (max == 0) return 0;
  const double h = double(value) / double(max) * full;
  return h >= full ? full : int(h);
}

}  // namespace

void DrawTrayMiniature(Canvas& c, const SampleHistory& history, uint32_t M, bool columns,
                       const MiniatureColors& colors) {
  constexpr int kLast = kMiniatureSize - 1;  // 15
  c.FillRect({0, 0, kMiniatureSize, kMiniatureSize}, colors.background);
  // 3-D frame: shadow on top and left, highlight on bottom and right.
  const Pen shadow{colors.shadow}, highlight{colors.highlight};
  c.Line(shadow, {0, kLast}, {0, 0});
  c.Line(shadow, {0, 0}, {kLast, 0});
  c.Line(highlight, {kLast, 0}, {kLast, kLast});
  c.Line(highlight, {kLast, kLast}, {-1, kLast});

  const Pen down{colors.download}, up{colors.upload}, both{colors.overlap};
  if (columns) {
    auto it = history.begin();
    for (int x = 14; x >= 1 && it != history.end(); --x, ++it) {
      const int hd = std::min(14, MiniHeight(it->download, M, 14));
      const int hu = std::min(14, MiniHeight(it->upload, M, 14));
      if (hu < hd) {
        if (hu > 0) c.Line(both, {x, 14}, {x, 14 - hu});
        c.Line(down, {x, 14 - hu}, {x, 14 - hd});
      } else if (hd < hu) {
        if (hd > 0) c.Line(both, {x, 14}, {x, 14 - hd});
        c.Line(up, {x, 14 - hd}, {x, 14 - hu});
      } else if (hd > 0) {
        c.Line(both, {x, 14}, {x, 14 - hd});
      }
    }
    return;
  }
  auto line = [&](const Pen& pen, uint32_t RateSample::*value) {
    std::vector<Point> points;
    auto it = history.begin();
    for (int x = 14; x >= 0 && it != history.end(); --x, ++it)
      points.push_back({x, 14 - std::min(MiniHeight((*it).*value, M, 13), 13)});
    c.Polyline(pen, points.data(), points.size());
  };
  line(up, &RateSample::upload);
  line(down, &RateSample::download);
}

}  // namespace qm
