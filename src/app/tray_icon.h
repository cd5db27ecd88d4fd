// The tray icon's picture, chosen for the tray that will show it: a
// one-colour symbol for a StatusNotifier host, which paints it in its panel's
// text colour, and the coloured application tile for an embedded (XEmbed)
// tray, whose background the program cannot know.
#pragma once

#include <QIcon>

namespace vx {

// Whether a StatusNotifier host listens on the session bus: the same question
// the toolkit asks when it picks between the two kinds of tray.
bool statusNotifierHostPresent();

QIcon trayIcon(bool statusNotifierHost);

} // namespace vx
