// A damped spring toward a target that can be moved while it runs, keeping
// its velocity: the hub's lean follows the pointer with it.
#pragma once

namespace vx {

class Spring {
public:
    // `response`: seconds of one undamped period; `dampingFraction`: 1 is
    // critical damping, less overshoots.
    Spring(double response, double dampingFraction);

    double value() const { return value_; }
    double target() const { return target_; }
    void setTarget(double target) { target_ = target; }
    // Jumps to `value` at rest.
    void reset(double value);
    // Advances by `seconds`.
    void step(double seconds);
    // Close enough to the target, and slow enough, to stop.
    bool isSettled() const;

private:
    double stiffness_;
    double damping_;
    double value_ = 0;
    double velocity_ = 0;
    double target_ = 0;
};

} // namespace vx
