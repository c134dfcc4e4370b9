#include "ui/GridContrast.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace orbisk {

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double WorstContrast(const QColor& color, std::initializer_list<QColor> backgrounds)
{
    double worst = 21.0;
    for (const QColor& background : backgrounds)
        worst = std::min(worst, ContrastRatio(color, background));
    return worst;
}

QColor Blend(const QColor& from, const QColor& to, double t)
{
    const auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// The grey whose sRGB value comes closest to the relative luminance asked for.
QColor GreyOfLuminance(double luminance)
{
    const double channel = luminance <= 0.0031308 ? luminance * 12.92 : 1.055 * std::pow(luminance, 1 / 2.4) - 0.055;
    const int value = std::clamp(int(std::lround(channel * 255)), 0, 255);
    return QColor(value, value, value);
}

constexpr int BlendSteps = 32;

} // namespace

double RelativeLuminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ContrastingColor(const QColor& preferred, std::initializer_list<QColor> backgrounds)
{
    if (WorstContrast(preferred, backgrounds) >= MinimumContrast)
        return preferred;
    for (int step = 1; step <= BlendSteps; ++step) {
        for (const QColor& end : { QColor(Qt::black), QColor(Qt::white) }) {
            const QColor blend = Blend(preferred, end, double(step) / BlendSteps);
            if (WorstContrast(blend, backgrounds) >= MinimumContrast)
                return blend;
        }
    }
    // Between the darkest and the lightest background the worst contrast is
    // best where the two ratios meet: at the geometric mean of (L + 0.05).
    double darkest = 1, lightest = 0;
    for (const QColor& background : backgrounds) {
        darkest = std::min(darkest, RelativeLuminance(background));
        lightest = std::max(lightest, RelativeLuminance(background));
    }
    const QColor grey = GreyOfLuminance(std::sqrt((darkest + 0.05) * (lightest + 0.05)) - 0.05);
    QColor best = grey;
    for (const QColor& end : { QColor(Qt::black), QColor(Qt::white) }) {
        if (WorstContrast(end, backgrounds) > WorstContrast(best, backgrounds))
            best = end;
    }
    return best;
}

QColor GridLineColor(const QPalette& palette)
{
    return ContrastingColor(palette.color(QPalette::Midlight), { palette.color(QPalette::Base) });
}

// Asked for at every marked cell painted: the last answer is kept.
QColor MarkOutlineColor(const QPalette& palette)
{
    static qint64 lastKey = -1;
    static QColor last;
    if (palette.cacheKey() != lastKey) {
        last = ContrastingColor(palette.color(QPalette::Text),
                                { palette.color(QPalette::Base), palette.color(QPalette::Highlight) });
        lastKey = palette.cacheKey();
    }
    return last;
}

// The dark palette commonly set on Qt's Fusion style.
QPalette DarkFusionPalette()
{
    const QColor window(53, 53, 53), base(42, 42, 42), text(Qt::white), disabled(127, 127, 127);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(42, 130, 218));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Mid, QColor(45, 45, 45));
    p.setColor(QPalette::Dark, QColor(35, 35, 35));
    p.setColor(QPalette::Shadow, QColor(20, 20, 20));
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    return p;
}

// White on black with a cyan selection, as the high-contrast desktop themes
// have it.
QPalette HighContrastPalette()
{
    const QColor black(Qt::black), white(Qt::white), cyan(26, 235, 255), yellow(255, 255, 0);
    QPalette p;
    for (const auto role : { QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button,
                             QPalette::ToolTipBase, QPalette::Shadow })
        p.setColor(role, black);
    for (const auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText,
                             QPalette::BrightText, QPalette::Light, QPalette::Midlight, QPalette::Dark })
        p.setColor(role, white);
    p.setColor(QPalette::Mid, QColor(128, 128, 128));
    p.setColor(QPalette::Highlight, cyan);
    p.setColor(QPalette::HighlightedText, black);
    p.setColor(QPalette::Link, yellow);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(63, 242, 63));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(63, 242, 63));
    return p;
}

} // namespace orbisk
