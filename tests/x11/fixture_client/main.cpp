// A tiny X client for what real applications cannot be made to do on demand:
// reserve screen edges (struts), refuse resizing, draw its own decorations with
// an invisible shadow, or stay unmanaged. It prints its window id once mapped,
// then serves events until it is terminated.
//
//   --geometry WxH+X+Y       initial size and position (default 400x300+100+100)
//   --class INSTANCE,CLASS
//   --dock                   _NET_WM_WINDOW_TYPE_DOCK
//   --strut-partial 12 numbers separated by commas
//   --strut L,R,T,B
//   --gtk-extents L,R,T,B    client-side decoration shadow; also asks for no frame
//   --override-redirect      not managed by the window manager
//   --icon N                 an N x N _NET_WM_ICON (opaque red, top-left pixel blue)
//   --background RRGGBB      the window's colour (default white)
//   --no-pid                 leave _NET_WM_PID unset
#include <algorithm>
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

std::vector<std::uint32_t> numbers(const std::string& s) {
    std::vector<std::uint32_t> v;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ','))
        v.push_back(static_cast<std::uint32_t>(std::stoul(item)));
    return v;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, cookie, nullptr);
    xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

void setCardinals(xcb_connection_t* c, xcb_window_t w, const char* name, xcb_atom_t type,
                  const std::vector<std::uint32_t>& values) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, name), type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

} // namespace

int main(int argc, char** argv) {
    int width = 400, height = 300, x = 100, y = 100, icon = 0;
    long background = -1;
    const std::string title = "fixture";
    std::string klass = std::string("fixture") + '\0' + "Fixture";
    bool dock = false, overrideRedirect = false, setPid = true;
    std::vector<std::uint32_t> strutPartial, strut, gtkExtents;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string next = i + 1 < argc ? argv[i + 1] : "";
        const std::map<std::string, bool*> switches = {{"--dock", &dock},
                                                       {"--override-redirect", &overrideRedirect}};
        const std::map<std::string, std::vector<std::uint32_t>*> lists = {
            {"--strut-partial", &strutPartial},
            {"--strut", &strut},
            {"--gtk-extents", &gtkExtents}};
        if (auto s = switches.find(a); s != switches.end())
            *s->second = true;
        else if (a == "--no-pid")
            setPid = false;
        else if (auto l = lists.find(a); l != lists.end())
            *l->second = numbers(next), ++i;
        else if (a == "--geometry" &&
                 std::sscanf(next.c_str(), "%dx%d+%d+%d", &width, &height, &x, &y) == 4)
            ++i;
        else if (a == "--class")
            klass = next, std::replace(klass.begin(), klass.end(), ',', '\0'), ++i;
        else if (a == "--icon")
            icon = std::atoi(next.c_str()), ++i;
        else if (a == "--background")
            background = std::strtol(next.c_str(), nullptr, 16), ++i;
        else
            return std::fprintf(stderr, "unknown or malformed flag %s\n", a.c_str()), 2;
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t w = xcb_generate_id(c);
    // A true-colour visual's pixel is the colour itself.
    std::uint32_t values[] = {
        background < 0 ? screen->white_pixel : static_cast<std::uint32_t>(background),
        overrideRedirect ? 1u : 0u, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);

    xcb_icccm_set_wm_name(c, w, XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(title.size()),
                          title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_NAME"),
                        atom(c, "UTF8_STRING"), 8, static_cast<std::uint32_t>(title.size()),
                        title.data());
    xcb_icccm_set_wm_class(c, w, static_cast<std::uint32_t>(klass.size() + 1), klass.c_str());

    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, x, y);
    xcb_icccm_size_hints_set_size(&hints, 1, width, height);
    xcb_icccm_set_wm_normal_hints(c, w, &hints);

    if (setPid)
        setCardinals(c, w, "_NET_WM_PID", XCB_ATOM_CARDINAL, {std::uint32_t(::getpid())});
    if (dock)
        setCardinals(c, w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM,
                     {atom(c, "_NET_WM_WINDOW_TYPE_DOCK")});
    for (const auto& [name, list] : {std::pair{"_NET_WM_STRUT_PARTIAL", &strutPartial},
                                     {"_NET_WM_STRUT", &strut},
                                     {"_GTK_FRAME_EXTENTS", &gtkExtents}})
        if (!list->empty())
            setCardinals(c, w, name, XCB_ATOM_CARDINAL, *list);
    // Motif hints: no decorations, as a client-side decorated window asks.
    if (!gtkExtents.empty())
        setCardinals(c, w, "_MOTIF_WM_HINTS", atom(c, "_MOTIF_WM_HINTS"), {2, 0, 0, 0, 0});
    if (icon > 0) {
        std::vector<std::uint32_t> data{static_cast<std::uint32_t>(icon),
                                        static_cast<std::uint32_t>(icon)};
        for (int i = 0; i < icon * icon; ++i)
            data.push_back(i == 0 ? 0xff0000ffu : 0x80ff0000u);
        // A smaller icon first, so a reader that takes the first is caught.
        data.insert(data.begin(), {1u, 1u, 0xff00ff00u});
        setCardinals(c, w, "_NET_WM_ICON", XCB_ATOM_CARDINAL, data);
    }

    xcb_map_window(c, w);
    xcb_flush(c);
    // Mapped (managed windows are mapped once the WM lets them): say who we are.
    bool announced = false;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY && !announced) {
            std::printf("0x%x\n", w);
            std::fflush(stdout);
            announced = true;
        }
        std::free(e);
    }
    xcb_disconnect(c);
    return 0;
}
