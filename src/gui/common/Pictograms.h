// The stock pictures of the main window, drawn by the program itself: 0 the empty side
// picture of the extra tools, 1 the arrow between source and target, 2 TimeTag, 3 SAMI,
// 4 DSMP, 5 MP3, 6 the time-shift tool, 7 the file-name tool.
#pragma once

#include <QPixmap>

namespace tavelkor {

inline constexpr int PictogramSize = 32;

QPixmap StockPicture(int index);

} // namespace tavelkor
