#include "Contrast.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace Contrast {

namespace {

    // Text at this ratio or more reads well.
    constexpr double kReadable = 4.5;
    // Above this luminance black reads better than white: a light ground.
    constexpr double kLightGround = 0.179;

    double linear(double channel)
    {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    }

} // namespace

double luminance(const QColor &color)
{
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF())
        + 0.0722 * linear(color.blueF());
}

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableText(const QColor &design, const QColor &ground)
{
    if (luminance(ground) >= kLightGround)
        return design;
    QColor text = design;
    // White reads on every dark ground, so this ends at the latest there.
    for (int step = 1; step <= 20 && ratio(text, ground) < kReadable; ++step) {
        const double white = step / 20.0;
        text = QColor::fromRgbF(design.redF() + (1 - design.redF()) * white,
            design.greenF() + (1 - design.greenF()) * white,
            design.blueF() + (1 - design.blueF()) * white);
    }
    return text;
}

} // namespace Contrast
