// A fixed set of displays and a pointer the test moves: the Screens seam for tests.
#pragma once

#include "core/window/screens.h"

#include <optional>
#include <vector>

namespace vx::test {

class FakeScreens final : public Screens {
public:
    std::vector<Screen> list;
    Point pointer;

    std::vector<Screen> screens() const override { return list; }
    std::optional<Screen> mainScreen() const override { return std::nullopt; }
    Point pointerLocation() const override { return pointer; }

    // A display whose whole frame is usable.
    static Screen make(DisplayID id, Rect frame) { return Screen{id, frame, frame}; }
};

} // namespace vx::test
