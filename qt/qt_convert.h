// Conversions from the headless components' colours, fonts and bitmaps to Qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QRect>

#include "vcl/graphics.h"

namespace zrmqt {

QColor ToQColor(vcl::TColor color);
// Negative heights are character heights in pixels, positive ones cell heights.
QFont ToQFont(const vcl::TFont& font);
QImage ToQImage(const vcl::TBitmap& bitmap);
QRect ToQRect(const vcl::TRect& rect);
// A button glyph strip of `count` images side by side: the first for the
// normal state, the second (when present) for the disabled one. The colour
// of the bottom-left pixel is transparent, as the platform draws glyphs.
QIcon GlyphIcon(const vcl::TBitmap& strip, int count);

}  // namespace zrmqt
