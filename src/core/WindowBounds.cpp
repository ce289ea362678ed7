#include "core/WindowBounds.h"

#include <algorithm>

QRect FitWindowToScreens(const QRect& stored, const QList<QRect>& available) {
    if (available.isEmpty()) return stored;
    // A window may span several screens, but not more than all of them together.
    QRect desktop;
    for (const QRect& s : available)
        desktop = desktop.united(s);
    const int maxW = desktop.width(), maxH = desktop.height();
    QRect fit(stored.topLeft(),
              QSize(std::clamp(stored.width(), 1, maxW), std::clamp(stored.height(), 1, maxH)));
    // The title bar is what the operator grabs: a piece of it must be on a screen.
    const QRect titleBar(fit.left(), fit.top(), fit.width(), 8);
    const int grip = std::min(fit.width(), 40);
    const bool reachable = std::any_of(available.begin(), available.end(), [&](const QRect& s) {
        const QRect on = s.intersected(titleBar);
        return on.width() >= grip && on.height() > 0;
    });
    if (!reachable) fit.moveCenter(available.first().center());
    return fit;
}
