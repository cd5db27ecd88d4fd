// A tiny X client for what real applications cannot be made to do on demand:
// reserve screen edges (struts), draw its own decorations with an invisible
// shadow, show an icon or a plain colour, or stay unmanaged. It prints its
// window id once mapped, then serves events until it is terminated. Flags:
//   --geometry WxH+X+Y (default 400x300+100+100)   --dock   --override-redirect
//   --strut-partial N,...(12)   --strut L,R,T,B
//   --gtk-extents L,R,T,B   client-side shadow; also asks for no frame
//   --icon N   an N x N _NET_WM_ICON (red, top-left pixel blue) after a 1 x 1 one
//   --background RRGGBB (default white)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

namespace {

xcb_connection_t* c;

xcb_atom_t atom(const char* name) {
    auto r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

void set(xcb_window_t w, const char* name, xcb_atom_t type, const std::vector<std::uint32_t>& v) {
    if (!v.empty())
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(name), type, 32,
                            static_cast<std::uint32_t>(v.size()), v.data());
}

} // namespace

int main(int argc, char** argv) {
    int width = 400, height = 300, x = 100, y = 100;
    const std::string klass = std::string("fixture") + '\0' + "Fixture", title = "fixture";
    std::map<std::string, std::vector<std::uint32_t>> lists; // numbers after a flag
    std::map<std::string, bool> switches;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i], next = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--dock" || a == "--override-redirect") {
            switches[a] = true;
            continue;
        }
        if (next.empty())
            return std::fprintf(stderr, "flag %s needs a value\n", a.c_str()), 2;
        ++i;
        if (a == "--geometry")
            std::sscanf(next.c_str(), "%dx%d+%d+%d", &width, &height, &x, &y);
        else if (a == "--background")
            lists[a] = {static_cast<std::uint32_t>(std::stoul(next, nullptr, 16))};
        else {
            std::stringstream items(next);
            for (std::string item; std::getline(items, item, ',');)
                lists[a].push_back(static_cast<std::uint32_t>(std::stoul(item)));
        }
    }

    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    // A true-colour visual's pixel is the colour itself.
    const std::uint32_t values[] = {lists.count("--background") ? lists["--background"][0]
                                                                : screen->white_pixel,
                                    switches["--override-redirect"] ? 1u : 0u,
                                    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const auto length = static_cast<std::uint32_t>(title.size());
    xcb_icccm_set_wm_name(c, w, XCB_ATOM_STRING, 8, length, title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        length, title.data());
    xcb_icccm_set_wm_class(c, w, static_cast<std::uint32_t>(klass.size() + 1), klass.c_str());
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, x, y);
    xcb_icccm_size_hints_set_size(&hints, 1, width, height);
    xcb_icccm_set_wm_normal_hints(c, w, &hints);

    set(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, {static_cast<std::uint32_t>(::getpid())});
    if (switches["--dock"])
        set(w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, {atom("_NET_WM_WINDOW_TYPE_DOCK")});
    set(w, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, lists["--strut-partial"]);
    set(w, "_NET_WM_STRUT", XCB_ATOM_CARDINAL, lists["--strut"]);
    set(w, "_GTK_FRAME_EXTENTS", XCB_ATOM_CARDINAL, lists["--gtk-extents"]);
    // Motif hints: no decorations, as a client-side decorated window asks.
    if (!lists["--gtk-extents"].empty())
        set(w, "_MOTIF_WM_HINTS", atom("_MOTIF_WM_HINTS"), {2, 0, 0, 0, 0});
    // A smaller icon first, so a reader that takes the first is caught.
    if (const auto n = lists["--icon"].empty() ? 0u : lists["--icon"][0]) {
        std::vector<std::uint32_t> icon{1, 1, 0xff00ff00u, n, n, 0xff0000ffu};
        icon.resize(6 + n * n - 1, 0x80ff0000u);
        set(w, "_NET_WM_ICON", XCB_ATOM_CARDINAL, icon);
    }
    xcb_map_window(c, w);
    xcb_flush(c);
    // Mapped (managed windows are mapped once the manager lets them): say who we are.
    for (bool announced = false; xcb_generic_event_t* e = xcb_wait_for_event(c); std::free(e))
        if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY && !announced)
            announced = std::printf("0x%x\n", w) > 0 && std::fflush(stdout) == 0;
    xcb_disconnect(c);
    return 0;
}
