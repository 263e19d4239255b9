#include "CameraPath.h"

#include <algorithm>

namespace {

QVector3D catmullRom(const QVector3D& p0, const QVector3D& p1, const QVector3D& p2, const QVector3D& p3,
                     float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    return 0.5f * ((2 * p1) + (p2 - p0) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t2 +
                   (3 * p1 - p0 - 3 * p2 + p3) * t3);
}

} // namespace

CameraPath::Pose CameraPath::sample(double time) const {
    if (m_keys.isEmpty()) {
        return {{0, 0, 10}, {0, 0, 0}};
    }
    if (time <= m_keys.first().time || m_keys.size() == 1) {
        return {m_keys.first().eye, m_keys.first().target};
    }
    if (time >= m_keys.last().time) {
        return {m_keys.last().eye, m_keys.last().target};
    }
    const auto next = std::upper_bound(m_keys.begin(), m_keys.end(), time,
                                       [](double t, const Key& key) { return t < key.time; });
    const qsizetype i = next - m_keys.begin() - 1;
    const Key& k1 = m_keys[i];
    const Key& k2 = m_keys[i + 1];
    const Key& k0 = m_keys[std::max<qsizetype>(i - 1, 0)];
    const Key& k3 = m_keys[std::min<qsizetype>(i + 2, m_keys.size() - 1)];
    const float t = float((time - k1.time) / (k2.time - k1.time));
    return {catmullRom(k0.eye, k1.eye, k2.eye, k3.eye, t),
            catmullRom(k0.target, k1.target, k2.target, k3.target, t)};
}
