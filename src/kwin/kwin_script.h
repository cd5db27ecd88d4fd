// The KWin script Vortaxis loads into the compositor, and the D-Bus names both
// sides use. KWin 5 and 6 differ in a few scripting names and in where a
// loaded script's object lives; everything that depends on the major version
// is decided here, so it can be checked without a running KWin.
#pragma once

#include <QString>
#include <optional>

namespace vx::kwin {

// The name KWin keeps the script under: ours alone, so that a leftover from a
// crash is found and unloaded at the next start.
inline constexpr const char* scriptPluginName = "vortaxis-bridge";

// Where the script reports to and asks for work.
inline constexpr const char* bridgeService = "org.vortaxis.KWinBridge";
inline constexpr const char* bridgePath = "/Bridge";
inline constexpr const char* bridgeInterface = "org.vortaxis.KWinBridge";

struct ScriptOptions {
    int kwinMajor = 5;
    // Windows of this process are the program's own overlays.
    qint64 ownPid = 0;
    // The bus name the script calls back: the program's unique name works
    // even when the well-known one is taken by another session's copy.
    QString service = QString::fromLatin1(bridgeService);
};

// The script's JavaScript text.
QString bridgeScript(const ScriptOptions& options);

// The D-Bus object of a script that `loadScript` answered with `id`.
QString scriptObjectPath(int kwinMajor, int id);

// The major version out of KWin's support information ("KWin version: 5.27.5").
std::optional<int> kwinMajorVersion(const QString& supportInformation);

} // namespace vx::kwin
