// The registry is read once to bind fake input; every request is followed by
// a round trip, so KWin has handled it when the call returns.
#include "fake_input.h"

#include "fake-input-client.h"

#include <cstring>
#include <wayland-client.h>

namespace vx::test {

namespace {

void announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        *static_cast<org_kde_kwin_fake_input**>(data) =
            static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
                registry, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4));
}
void removed(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener listener{announced, removed};

} // namespace

std::unique_ptr<FakeInput> FakeInput::connect(const QString& socket) {
    auto input = std::unique_ptr<FakeInput>(new FakeInput);
    input->display_ = wl_display_connect(socket.toLocal8Bit().constData());
    if (!input->display_)
        return nullptr;
    wl_registry* registry = wl_display_get_registry(input->display_);
    wl_registry_add_listener(registry, &listener, &input->input_);
    wl_display_roundtrip(input->display_);
    wl_registry_destroy(registry);
    if (!input->input_)
        return nullptr;
    org_kde_kwin_fake_input_authenticate(input->input_, "vortaxis tests", "drive the gesture");
    input->flush();
    return input;
}

FakeInput::~FakeInput() {
    if (input_)
        org_kde_kwin_fake_input_destroy(input_);
    if (display_)
        wl_display_disconnect(display_);
}

void FakeInput::flush() {
    wl_display_roundtrip(display_);
}

void FakeInput::key(std::uint32_t evdev, bool pressed) {
    org_kde_kwin_fake_input_keyboard_key(input_, evdev, pressed ? 1 : 0);
    flush();
}

void FakeInput::moveTo(double x, double y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(input_, wl_fixed_from_double(x),
                                                    wl_fixed_from_double(y));
    flush();
}

void FakeInput::button(std::uint32_t linuxButton, bool pressed) {
    org_kde_kwin_fake_input_button(input_, linuxButton, pressed ? 1 : 0);
    flush();
}

void FakeInput::wheel(double value) {
    org_kde_kwin_fake_input_axis(input_, 0, wl_fixed_from_double(value));
    flush();
}

} // namespace vx::test
