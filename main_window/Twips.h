#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <cmath>

// Window geometry is designed in twips: 1440 to the inch, 15 to a pixel at
// 96 dots per inch. Qt's logical pixels are 96 to the inch, so the ratio
// holds on high-DPI screens as well.
namespace Twips {

constexpr float kPerPixel = 15.0f;

inline int toPixels(float twips)
{
    return int(std::lround(twips / kPerPixel));
}
inline float fromPixels(int pixels)
{
    return float(pixels) * kPerPixel;
}
inline QSize size(float width, float height)
{
    return { toPixels(width), toPixels(height) };
}
inline QRect rect(float left, float top, float width, float height)
{
    return { toPixels(left), toPixels(top), toPixels(width), toPixels(height) };
}
inline QRect rect(const QRectF &twips)
{
    return rect(float(twips.x()), float(twips.y()), float(twips.width()), float(twips.height()));
}

} // namespace Twips
