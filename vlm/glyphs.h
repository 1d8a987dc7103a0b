// The bitmaps of the screen and the dialog: the mark-column check boxes and
// the button glyphs, drawn in the standard 16-colour palette on olive, the
// colour that drawing treats as transparent.
#pragma once

#include "vcl/graphics.h"

namespace vlm {

constexpr vcl::TColor clCheckTransparent = 0x008080;  // olive, RGB (128, 128, 0)

vcl::TBitmap CheckBitmap();     // white box with a black tick
vcl::TBitmap UncheckBitmap();   // empty white box
vcl::TBitmap DescheckBitmap();  // box filled with silver
vcl::TBitmap ThumbsUpGlyph();   // confirm buttons, one glyph
vcl::TBitmap SearchGlyph();     // search buttons: a hand pointing at a list, normal and greyed (32x16)
vcl::TBitmap CalendarGlyph();   // drop-down button of the date edits

}  // namespace vlm
