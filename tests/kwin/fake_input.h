// Keys and pointer for the KWin tests through KWin's fake-input protocol,
// which KWin honours when started with its permission checks off.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

struct wl_display;
struct org_kde_kwin_fake_input;

namespace vx::test {

class FakeInput {
public:
    // Nothing when the socket or the protocol is not there.
    static std::unique_ptr<FakeInput> connect(const QString& socket);
    ~FakeInput();

    // Linux evdev key codes (29 left Control, 46 C, 57 Space).
    void key(std::uint32_t evdev, bool pressed);
    void moveTo(double x, double y);
    void button(std::uint32_t linuxButton, bool pressed); // 0x110 left
    void wheel(double value);                             // vertical axis, 15 per notch

private:
    FakeInput() = default;
    void flush();
    wl_display* display_ = nullptr;
    org_kde_kwin_fake_input* input_ = nullptr;
};

} // namespace vx::test
