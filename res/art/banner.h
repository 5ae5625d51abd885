// The banner across the top of the main panel (bitmap 135): the product name and what the station
// does, white on a calm blue band with a thin amber line at the foot, and faint bars on the right.
//
//   kBannerWidth, kBannerHeight   its size in pixels
//   DrawBanner()                  the opaque picture
#pragma once

#include <QImage>

namespace art {

inline constexpr int kBannerWidth = 638;
inline constexpr int kBannerHeight = 90;

QImage DrawBanner();

}  // namespace art
