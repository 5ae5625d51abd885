// The panel's icon: a carton seen from the front right with a bar-code label on its front, drawn
// pixel by pixel for each size so that the bars stay sharp even at 16 pixels.
//
//   kIconSizes                the sizes the icon file holds
//   DrawIcon(size, palette)   one picture; kSixteen uses only the standard sixteen colours
#pragma once

#include <QImage>

namespace art {

inline constexpr int kIconSizes[] = {48, 32, 16};

enum class IconPalette { kTrueColour, kSixteen };

QImage DrawIcon(int size, IconPalette palette);

}  // namespace art
