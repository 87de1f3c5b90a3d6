#include "table/qt/windows/ViewKit.h"

#include <array>

namespace zk {

namespace {

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The platform colours in the order of the system colour numbers 0 to 24
// (clScrollBar .. clInfoBk), each taken from the palette role that plays the
// same part on this desktop.
constexpr std::array<SystemRole, colour::kSystemCount> kSystemRoles = {{
    {QPalette::Active, QPalette::Button},            // clScrollBar
    {QPalette::Active, QPalette::Dark},              // clBackground (the desktop)
    {QPalette::Active, QPalette::Highlight},         // clActiveCaption
    {QPalette::Inactive, QPalette::Highlight},       // clInactiveCaption
    {QPalette::Active, QPalette::Window},            // clMenu
    {QPalette::Active, QPalette::Base},              // clWindow
    {QPalette::Active, QPalette::Shadow},            // clWindowFrame
    {QPalette::Active, QPalette::WindowText},        // clMenuText
    {QPalette::Active, QPalette::Text},              // clWindowText
    {QPalette::Active, QPalette::HighlightedText},   // clCaptionText
    {QPalette::Active, QPalette::Button},            // clActiveBorder
    {QPalette::Inactive, QPalette::Button},          // clInactiveBorder
    {QPalette::Active, QPalette::Mid},               // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},         // clHighlight
    {QPalette::Active, QPalette::HighlightedText},   // clHighlightText
    {QPalette::Active, QPalette::Button},            // clBtnFace
    {QPalette::Active, QPalette::Dark},              // clBtnShadow
    {QPalette::Disabled, QPalette::Text},            // clGrayText
    {QPalette::Active, QPalette::ButtonText},        // clBtnText
    {QPalette::Inactive, QPalette::HighlightedText}, // clInactiveCaptionText
    {QPalette::Active, QPalette::Light},             // clBtnHighlight
    {QPalette::Active, QPalette::Shadow},            // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},          // cl3DLight
    {QPalette::Active, QPalette::ToolTipText},       // clInfoText
    {QPalette::Active, QPalette::ToolTipBase},       // clInfoBk
}};

} // namespace

QColor toQColor(ColourValue value, const QPalette& palette)
{
    if (isSystemColour(value)) {
        const SystemRole& r = kSystemRoles[value - colour::kSystemBase];
        return palette.color(r.group, r.role);
    }
    if (value > 0xFFFFFF) // clNone and values no colour dialog makes
        return palette.color(QPalette::Active, QPalette::Text);
    const Rgb rgb = toRgb(value);
    return QColor(rgb.r, rgb.g, rgb.b);
}

ColourValue fromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return fromRgb(rgb.red(), rgb.green(), rgb.blue());
}

QRect toQRect(const WindowBounds& bounds)
{
    return QRect(bounds.left, bounds.top, bounds.width, bounds.height);
}

WindowBounds fromQRect(const QRect& rect)
{
    return {rect.top(), rect.left(), rect.width(), rect.height()};
}

} // namespace zk
