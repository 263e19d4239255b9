#include "FlightCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kTurnRate = 1.5f; // radians a second

} // namespace

FlightCamera::FlightCamera(QVector3D eye, QVector3D target, float speed, double headLimit)
    : m_startEye(eye)
    , m_startTarget(target)
    , m_speed(speed)
    , m_pitchLimit(std::clamp(float(std::numbers::pi / 2 + headLimit), 0.f, std::numbers::pi_v<float> / 2)) {
    reset();
}

void FlightCamera::reset() {
    m_eye = m_startEye;
    const QVector3D d = (m_startTarget - m_startEye).normalized();
    m_yaw = std::atan2(d.x(), -d.z());
    m_pitch = std::asin(std::clamp(d.y(), -1.f, 1.f));
    clampPitch();
}

void FlightCamera::clampPitch() {
    m_pitch = std::clamp(m_pitch, -m_pitchLimit, m_pitchLimit);
}

QVector3D FlightCamera::direction() const {
    return {std::cos(m_pitch) * std::sin(m_yaw), std::sin(m_pitch), -std::cos(m_pitch) * std::cos(m_yaw)};
}

void FlightCamera::setHeld(Action action, bool held) {
    if (action == Home && held && !m_held[Home]) {
        reset();
    }
    m_held[action] = held;
}

void FlightCamera::mouseMoved(double dx, double dy, double sensitivity) {
    m_yaw += float(dx * sensitivity);
    m_pitch -= float(dy * sensitivity);
    clampPitch();
}

void FlightCamera::advance(double seconds) {
    const float dt = float(seconds);
    const auto axis = [this](Action plus, Action minus) {
        return (m_held[plus] ? 1.f : 0.f) - (m_held[minus] ? 1.f : 0.f);
    };
    m_yaw += axis(TurnRight, TurnLeft) * kTurnRate * dt;
    m_pitch += axis(LookUp, LookDown) * kTurnRate * dt;
    clampPitch();
    const QVector3D forward = direction();
    const QVector3D right(std::cos(m_yaw), 0, std::sin(m_yaw));
    const float step = m_speed * dt * (m_held[Faster] ? 4.f : 1.f);
    m_eye += forward * axis(Forward, Back) * step;
    m_eye += right * axis(StrafeRight, StrafeLeft) * step;
    m_eye += QVector3D(0, 1, 0) * axis(Rise, Sink) * step;
}
