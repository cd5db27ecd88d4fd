// The plasma shell is bound on an event queue of our own, so its few events
// never run inside Qt's dispatch of the connection, nor Qt's inside ours.
#include "kwin/plasma_overlay_role.h"

#include <QGuiApplication>
#include <QWindow>
#include <map>

#ifdef VX_PLASMA_SHELL
#include "plasma-shell-client.h"

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>
#endif

namespace vx::kwin {

#ifdef VX_PLASMA_SHELL

struct PlasmaOverlayRole::State {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_registry* registry = nullptr;
    org_kde_plasma_shell* shell = nullptr;
    std::uint32_t version = 0;
    // The role object of each window's current surface.
    std::map<QWindow*, org_kde_plasma_surface*> marked;

    ~State() {
        for (auto& [window, role] : marked)
            org_kde_plasma_surface_destroy(role);
        if (shell)
            org_kde_plasma_shell_destroy(shell);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_flush(display);
        if (queue)
            wl_event_queue_destroy(queue);
    }
};

namespace {

// Version 5 brings "skip switcher"; 2 is the least with "skip taskbar".
constexpr std::uint32_t kWantedVersion = 5, kLeastVersion = 2;

void announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    auto* state = static_cast<PlasmaOverlayRole::State*>(data);
    if (state->shell || std::string_view(interface) != org_kde_plasma_shell_interface.name ||
        version < kLeastVersion)
        return;
    state->version = std::min(version, kWantedVersion);
    state->shell = static_cast<org_kde_plasma_shell*>(
        wl_registry_bind(registry, name, &org_kde_plasma_shell_interface, state->version));
}

void withdrawn(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {announced, withdrawn};

} // namespace

std::unique_ptr<PlasmaOverlayRole> PlasmaOverlayRole::bind(QString* error) {
    auto* native = QGuiApplication::platformNativeInterface();
    auto state = std::make_unique<State>();
    state->display = native ? static_cast<wl_display*>(native->nativeResourceForIntegration(
                                  QByteArrayLiteral("wl_display")))
                            : nullptr;
    if (!state->display) {
        *error = QStringLiteral("Qt does not run on Wayland");
        return nullptr;
    }
    state->queue = wl_display_create_queue(state->display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(state->display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), state->queue);
    state->registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(state->registry, &kRegistryListener, state.get());
    if (wl_display_roundtrip_queue(state->display, state->queue) < 0) {
        *error = QStringLiteral("the Wayland connection broke");
        return nullptr;
    }
    if (!state->shell) {
        *error = QStringLiteral("the compositor offers no plasma shell");
        return nullptr;
    }
    return std::unique_ptr<PlasmaOverlayRole>(new PlasmaOverlayRole(std::move(state)));
}

bool PlasmaOverlayRole::markShown(QWindow& window) {
    auto* native = QGuiApplication::platformNativeInterface();
    auto* surface = static_cast<wl_surface*>(
        native->nativeResourceForWindow(QByteArrayLiteral("surface"), &window));
    if (!surface)
        return false;
    // Always anew: a surface made at this show may sit where the last one was,
    // so its address tells nothing.
    if (auto it = state_->marked.find(&window); it != state_->marked.end()) {
        org_kde_plasma_surface_destroy(it->second);
        state_->marked.erase(it);
    }
    auto* role = org_kde_plasma_shell_get_surface(state_->shell, surface);
    org_kde_plasma_surface_set_role(role, ORG_KDE_PLASMA_SURFACE_ROLE_ONSCREENDISPLAY);
    // KWin centres an on-screen display near the bottom unless told where.
    org_kde_plasma_surface_set_position(role, window.geometry().x(), window.geometry().y());
    org_kde_plasma_surface_set_skip_taskbar(role, 1);
    if (state_->version >= 5)
        org_kde_plasma_surface_set_skip_switcher(role, 1);
    state_->marked.emplace(&window, role);
    // Before Qt draws the first frame, or KWin has focused the window already.
    wl_display_flush(state_->display);
    return true;
}

#else

struct PlasmaOverlayRole::State {};

std::unique_ptr<PlasmaOverlayRole> PlasmaOverlayRole::bind(QString* error) {
    *error = QStringLiteral("built without the plasma shell protocol");
    return nullptr;
}
bool PlasmaOverlayRole::markShown(QWindow&) {
    return false;
}

#endif

PlasmaOverlayRole::PlasmaOverlayRole(std::unique_ptr<State> state) : state_(std::move(state)) {}
PlasmaOverlayRole::~PlasmaOverlayRole() = default;

} // namespace vx::kwin
