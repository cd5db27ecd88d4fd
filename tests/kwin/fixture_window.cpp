// A plain Wayland window for the KWin tests: a title, a size and a solid fill;
// with "panel" after the size, a panel as Plasma's own are (always visible, at
// the output's top left), whose strut KWin takes off the usable area.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <plasma-shell-client.h>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

namespace {

class Plain final : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(70, 110, 160));
    }
};

void bindShell(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t) {
    if (std::string_view(interface) == org_kde_plasma_shell_interface.name)
        *static_cast<org_kde_plasma_shell**>(data) = static_cast<org_kde_plasma_shell*>(
            wl_registry_bind(registry, name, &org_kde_plasma_shell_interface, 1));
}
void ignore(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener listener = {bindShell, ignore};

// False when the compositor offers no plasma shell.
bool makePanel(QWindow& window) {
    auto* native = QGuiApplication::platformNativeInterface();
    auto* display = static_cast<wl_display*>(
        native->nativeResourceForIntegration(QByteArrayLiteral("wl_display")));
    auto* surface = static_cast<wl_surface*>(
        native->nativeResourceForWindow(QByteArrayLiteral("surface"), &window));
    org_kde_plasma_shell* shell = nullptr;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &shell);
    wl_display_roundtrip(display);
    if (!shell || !surface)
        return false;
    auto* role = org_kde_plasma_shell_get_surface(shell, surface);
    org_kde_plasma_surface_set_role(role, ORG_KDE_PLASMA_SURFACE_ROLE_PANEL);
    org_kde_plasma_surface_set_panel_behavior(role,
                                              ORG_KDE_PLASMA_SURFACE_PANEL_BEHAVIOR_ALWAYS_VISIBLE);
    org_kde_plasma_surface_set_position(role, 0, 0);
    wl_display_flush(display);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    Plain window;
    window.setTitle(args.value(1, QStringLiteral("Vortaxis fixture")));
    window.resize(args.value(2, QStringLiteral("400")).toInt(),
                  args.value(3, QStringLiteral("300")).toInt());
    const bool panel = args.value(4) == QLatin1String("panel");
    window.setFlag(Qt::FramelessWindowHint, panel);
    window.show();
    if (panel && !makePanel(window))
        return 1;
    return QGuiApplication::exec();
}
