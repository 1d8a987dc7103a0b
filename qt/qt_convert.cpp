#include "qt/qt_convert.h"

#include <QPixmap>
#include <algorithm>

namespace zrmqt {

QColor ToQColor(vcl::TColor color) {
    const vcl::TRgb rgb = vcl::ColorToRgb(color);
    return QColor(rgb.r, rgb.g, rgb.b);
}

QFont ToQFont(const vcl::TFont& font) {
    // The classic bitmap sans-serif is not on this platform; the default
    // sans-serif family at the same pixel size keeps the layout.
    QFont qfont(font.Name == "MS Sans Serif" ? QStringLiteral("Sans Serif")
                                             : QString::fromStdString(font.Name));
    qfont.setStyleHint(QFont::SansSerif);
    const int height = font.Height < 0 ? -font.Height : std::max(1, font.Height * 4 / 5);
    qfont.setPixelSize(std::max(1, height));
    qfont.setBold(font.Bold);
    return qfont;
}

QImage ToQImage(const vcl::TBitmap& bitmap) {
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            const vcl::TRgb p = bitmap.Pixel(x, y);
            line[x] = qRgb(p.r, p.g, p.b);
        }
    }
    return image;
}

QRect ToQRect(const vcl::TRect& rect) {
    return QRect(rect.Left, rect.Top, rect.Width(), rect.Height());
}

namespace {

QPixmap GlyphPart(const vcl::TBitmap& strip, int index, int width) {
    QImage image(width, strip.Height(), QImage::Format_ARGB32);
    const vcl::TRgb transparent = strip.Pixel(index * width, strip.Height() - 1);
    for (int y = 0; y < strip.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const vcl::TRgb p = strip.Pixel(index * width + x, y);
            line[x] = p == transparent ? qRgba(0, 0, 0, 0) : qRgb(p.r, p.g, p.b);
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

QIcon GlyphIcon(const vcl::TBitmap& strip, int count) {
    QIcon icon;
    if (strip.Empty()) {
        return icon;
    }
    count = std::max(1, count);
    const int width = strip.Width() / count;
    if (width <= 0) {
        return icon;
    }
    icon.addPixmap(GlyphPart(strip, 0, width), QIcon::Normal);
    if (count >= 2) {
        icon.addPixmap(GlyphPart(strip, 1, width), QIcon::Disabled);
    }
    return icon;
}

}  // namespace zrmqt
