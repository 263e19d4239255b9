#pragma once

#include <QVector3D>
#include <array>

// The free-flight camera: a position and a head turned by yaw and pitch,
// moved by held keys and by the mouse. Pure arithmetic, advanced by the
// caller once a frame; one camera per free-flight scene.
class FlightCamera {
public:
    // In the order of the twelve key codes of the configuration file.
    enum Action {
        TurnLeft,
        TurnRight,
        LookUp,
        LookDown,
        Forward,
        Back,
        StrafeLeft,
        StrafeRight,
        Rise,
        Sink,
        Home,
        Faster
    };
    static constexpr int kActionCount = 12;

    // speed: scene units a second; headLimit: radians added to a right
    // angle, giving the steepest pitch allowed.
    FlightCamera(QVector3D eye, QVector3D target, float speed, double headLimit);

    void setHeld(Action action, bool held);
    void mouseMoved(double dx, double dy, double sensitivity);
    void advance(double seconds);

    QVector3D eye() const { return m_eye; }
    QVector3D target() const { return m_eye + direction(); }
    float pitch() const { return m_pitch; }

private:
    QVector3D direction() const;
    void clampPitch();
    void reset();

    QVector3D m_startEye;
    QVector3D m_startTarget;
    QVector3D m_eye;
    float m_yaw = 0;
    float m_pitch = 0;
    float m_speed;
    float m_pitchLimit;
    std::array<bool, kActionCount> m_held{};
};
