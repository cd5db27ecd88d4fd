// Observation of the desktop for the end-to-end bench. The menu is told from
// the outline by size: both are override-redirect, but the outline covers a
// whole monitor while the menu is a small square under the pointer.
#include "scene.h"

#include "input_helpers.h"

#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/damage.h>

extern char** environ;

namespace vx::bench {

namespace {

// Larger overlays are the monitor outline, not the menu.
constexpr int maxMenuSide = 600;

} // namespace

std::unique_ptr<Scene> Scene::create(test::Desktop& desktop, std::string* error) {
    std::unique_ptr<Scene> scene(new Scene(desktop));
    auto& c = desktop.conn();
    const auto* damage = xcb_get_extension_data(c.raw(), &xcb_damage_id);
    if (!damage || !damage->present) {
        *error = "the X server has no DAMAGE extension";
        return nullptr;
    }
    auto version = c.reply(xcb_damage_query_version(c.raw(), 1, 1), xcb_damage_query_version_reply);
    if (!version) {
        *error = "DAMAGE did not answer its version";
        return nullptr;
    }
    scene->damageEvent_ = static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
    scene->damage_ = xcb_generate_id(c.raw());
    // Raw rectangles on the root: every drawing into any window is reported,
    // and nothing has to be subtracted to keep the reports coming.
    if (c.check(xcb_damage_create_checked(c.raw(), scene->damage_, c.root(),
                                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES))) {
        *error = "cannot watch the root for damage";
        return nullptr;
    }
    desktop.watch(c.root());
    scene->handler_ =
        c.addHandler([s = scene.get()](const xcb_generic_event_t& e) { s->handle(e); });
    return scene;
}

Scene::~Scene() {
    conn().removeHandler(handler_);
    reapChildren();
}

void Scene::handle(const xcb_generic_event_t& event) {
    const auto now = Clock::now();
    const auto type = x11::eventType(event);
    if (type == damageEvent_) {
        const auto& d = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        const RootRect area{d.area.x, d.area.y, d.area.width, d.area.height};
        if (menu_.mappedAt && !menu_.unmappedAt && area.intersects(menu_.rect)) {
            ++menu_.paints;
            if (!menu_.paintedAt)
                menu_.paintedAt = now;
        }
        return;
    }
    switch (type) {
    case XCB_CREATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (e.parent == conn().root())
            toplevels_[e.window] = {{e.x, e.y, e.width, e.height}, e.override_redirect != 0};
        break;
    }
    case XCB_DESTROY_NOTIFY:
        toplevels_.erase(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
        break;
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        const RootRect rect{e.x, e.y, e.width + 2 * e.border_width, e.height + 2 * e.border_width};
        if (auto it = toplevels_.find(e.window); it != toplevels_.end())
            it->second.first = rect;
        if (e.window == menu_.window)
            menu_.rect = rect;
        if (e.window == frame_ && frame_ != 0) {
            lastFrame_ = rect;
            if (expected_ && !frameReachedAt_ && rect.near(*expected_, tolerance_))
                frameReachedAt_ = now;
        }
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        auto it = toplevels_.find(e.window);
        if (e.override_redirect && it != toplevels_.end() && !menu_.mappedAt &&
            it->second.first.width <= maxMenuSide && it->second.first.height <= maxMenuSide) {
            menu_.window = e.window;
            menu_.rect = it->second.first;
            menu_.mappedAt = now;
        }
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (e.window == menu_.window && menu_.mappedAt && !menu_.unmappedAt)
            menu_.unmappedAt = now;
        break;
    }
    default:
        break;
    }
}

void Scene::resetMenu() {
    menu_ = {};
}

void Scene::expectFrame(const RootRect& rect, int tolerance) {
    expected_ = rect;
    tolerance_ = tolerance;
    frameReachedAt_.reset();
}

bool Scene::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        if (conn().dispatch())
            return false;
        if (binder_)
            binder_->dispatch();
        if (program_)
            program_->readAvailable();
        reapChildren();
        if (done())
            return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            return false;
        std::vector<pollfd> fds{{conn().fd(), POLLIN, 0}};
        if (binder_)
            fds.push_back({binder_->fd(), POLLIN, 0});
        if (program_ && program_->outputFd() >= 0)
            fds.push_back({program_->outputFd(), POLLIN, 0});
        ::poll(fds.data(), fds.size(), static_cast<int>(left.count()));
    }
}

void Scene::pumpFor(std::chrono::milliseconds period) {
    (void)pumpUntil([] { return false; }, period);
}

xcb_keycode_t Scene::keycode(xcb_keysym_t keysym) {
    auto& c = conn();
    const auto* setup = xcb_get_setup(c.raw());
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto mapping = c.reply(xcb_get_keyboard_mapping(c.raw(), setup->min_keycode, count),
                           xcb_get_keyboard_mapping_reply);
    if (!mapping)
        return 0;
    const auto* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int per = mapping->keysyms_per_keycode;
    for (int k = 0; k < count; ++k) {
        for (int j = 0; j < per; ++j) {
            if (syms[k * per + j] == keysym)
                return static_cast<xcb_keycode_t>(setup->min_keycode + k);
        }
    }
    return 0;
}

Time Scene::pressKey(xcb_keysym_t keysym, bool press) {
    const auto code = keycode(keysym);
    const auto at = Clock::now();
    test::fakeKey(conn(), static_cast<std::uint32_t>(code - 8), press); // takes evdev codes
    return at;
}

void Scene::movePointer(int x, int y) {
    test::fakeMotion(conn(), x, y);
}

bool Scene::bindKey(xcb_keysym_t keysym, std::function<std::vector<std::string>()> argv) {
    bindingArgv_ = std::move(argv);
    if (binder_)
        return true;
    std::string error;
    binder_ = x11::Connection::open(desktop_.display(), &error);
    if (!binder_)
        return false;
    boundKey_ = keycode(keysym);
    if (binder_->check(xcb_grab_key_checked(binder_->raw(), 1, binder_->root(), XCB_MOD_MASK_ANY,
                                            boundKey_, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)))
        return false;
    binder_->addHandler([this](const xcb_generic_event_t& e) { handleBinder(e); });
    binder_->flush();
    return true;
}

void Scene::handleBinder(const xcb_generic_event_t& event) {
    if (x11::eventType(event) != XCB_KEY_PRESS)
        return;
    if (reinterpret_cast<const xcb_key_press_event_t&>(event).detail != boundKey_)
        return;
    // What a hotkey daemon does: fork and exec the bound command line.
    auto argv = bindingArgv_();
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("DISPLAY=", 0) != 0)
            env.emplace_back(*e);
    }
    env.push_back("DISPLAY=" + desktop_.display());
    std::vector<char*> cenv;
    for (auto& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, cargv[0], nullptr, nullptr, cargv.data(), cenv.data()) == 0)
        children_.push_back(pid);
}

void Scene::reapChildren() {
    std::erase_if(children_, [](pid_t pid) {
        int status = 0;
        return ::waitpid(pid, &status, WNOHANG) != 0;
    });
}

} // namespace vx::bench
