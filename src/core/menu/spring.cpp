// Integration of the hub's spring.
#include "core/menu/spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vx {

Spring::Spring(double response, double dampingFraction) {
    const double omega = 2 * std::numbers::pi / std::max(response, 1e-3);
    stiffness_ = omega * omega;
    damping_ = 2 * std::clamp(dampingFraction, 0.0, 10.0) * omega;
}

void Spring::reset(double value) {
    value_ = value;
    target_ = value;
    velocity_ = 0;
}

void Spring::step(double seconds) {
    if (!(seconds > 0))
        return;
    // Semi-implicit Euler in steps short against the period keeps it stable even
    // when a frame comes late.
    constexpr double maxStep = 1.0 / 480;
    const int steps = static_cast<int>(std::ceil(std::min(seconds, 1.0) / maxStep));
    const double dt = std::min(seconds, 1.0) / steps;
    for (int i = 0; i < steps; ++i) {
        const double force = -stiffness_ * (value_ - target_) - damping_ * velocity_;
        velocity_ += force * dt;
        value_ += velocity_ * dt;
    }
    if (isSettled()) {
        value_ = target_;
        velocity_ = 0;
    }
}

bool Spring::isSettled() const {
    return std::abs(value_ - target_) < 1e-3 && std::abs(velocity_) < 1e-2;
}

} // namespace vx
