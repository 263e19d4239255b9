// Renders the about box's picture at build time: a small ray-traced scene
// (three shaded spheres, one of them a mirror, over a chequered floor under a
// sky) written as a 373 × 488 JPEG. Usage: about_picture OUTPUT.jpg
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

struct Vec {
    double x = 0, y = 0, z = 0;
    Vec operator+(const Vec& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator*(double s) const { return {x * s, y * s, z * s}; }
    Vec operator*(const Vec& o) const { return {x * o.x, y * o.y, z * o.z}; }
    double dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec normalized() const { return *this * (1.0 / std::sqrt(dot(*this))); }
};

struct Sphere {
    Vec centre;
    double radius;
    Vec colour;
    double mirror;
};

const std::array<Sphere, 3> kSpheres = {{
    {{-0.9, 0.7, 5.0}, 0.7, {0.85, 0.2, 0.15}, 0.1},
    {{0.8, 1.0, 6.2}, 1.0, {0.8, 0.85, 0.9}, 0.75},
    {{0.2, 0.35, 3.6}, 0.35, {0.2, 0.5, 0.9}, 0.2},
}};
const Vec kLight = Vec{-0.6, 1.0, -0.5}.normalized();

struct Hit {
    double distance;
    Vec point;
    Vec normal;
    Vec colour;
    double mirror;
};

std::optional<Hit> trace(const Vec& origin, const Vec& direction) {
    std::optional<Hit> nearest;
    for (const Sphere& s : kSpheres) {
        const Vec oc = origin - s.centre;
        const double b = oc.dot(direction);
        const double disc = b * b - (oc.dot(oc) - s.radius * s.radius);
        if (disc < 0) {
            continue;
        }
        const double t = -b - std::sqrt(disc);
        if (t > 1e-4 && (!nearest || t < nearest->distance)) {
            const Vec p = origin + direction * t;
            nearest = Hit{t, p, (p - s.centre).normalized(), s.colour, s.mirror};
        }
    }
    // The floor, the plane y = 0, in a chequer of two tones.
    if (direction.y < -1e-6) {
        const double t = -origin.y / direction.y;
        if (t > 1e-4 && (!nearest || t < nearest->distance)) {
            const Vec p = origin + direction * t;
            const bool dark = (static_cast<int>(std::floor(p.x)) + static_cast<int>(std::floor(p.z))) & 1;
            const Vec colour = dark ? Vec{0.15, 0.15, 0.18} : Vec{0.9, 0.88, 0.8};
            nearest = Hit{t, p, {0, 1, 0}, colour, 0.15};
        }
    }
    return nearest;
}

Vec sky(const Vec& direction) {
    const double up = std::clamp(direction.y, 0.0, 1.0);
    return Vec{0.95, 0.75, 0.55} * (1 - std::sqrt(up)) + Vec{0.1, 0.3, 0.8} * std::sqrt(up);
}

Vec shade(const Vec& origin, const Vec& direction, int depth) {
    const std::optional<Hit> hit = trace(origin, direction);
    if (!hit) {
        return sky(direction);
    }
    const bool shadowed = trace(hit->point + hit->normal * 1e-3, kLight).has_value();
    const double diffuse = shadowed ? 0.0 : std::max(0.0, hit->normal.dot(kLight));
    const Vec halfway = (kLight - direction).normalized();
    const double specular = shadowed ? 0.0 : std::pow(std::max(0.0, hit->normal.dot(halfway)), 60);
    // Distance haze towards the sky's horizon colour.
    const double haze = 1.0 - std::exp(-hit->distance * 0.012);
    Vec colour = hit->colour * (0.15 + 0.85 * diffuse) + Vec{1, 1, 1} * specular;
    if (depth > 0 && hit->mirror > 0) {
        const Vec reflected = direction - hit->normal * (2 * direction.dot(hit->normal));
        colour = colour * (1 - hit->mirror) +
                 shade(hit->point + hit->normal * 1e-3, reflected, depth - 1) * hit->mirror;
    }
    return colour * (1 - haze) + sky({0, 0, 1}) * haze;
}

int channel(double value) {
    return std::clamp(static_cast<int>(std::lround(std::pow(value, 1 / 2.2) * 255)), 0, 255);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: about_picture OUTPUT.jpg\n";
        return 2;
    }
    constexpr int kWidth = 373;
    constexpr int kHeight = 488;
    constexpr int kSamples = 3; // per axis, for smooth edges
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    const Vec eye{0, 1.3, -0.5};
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            Vec sum;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = (x + (sx + 0.5) / kSamples - kWidth / 2.0) / kHeight;
                    const double v = (kHeight / 2.0 - y - (sy + 0.5) / kSamples) / kHeight;
                    sum = sum + shade(eye, Vec{u, v - 0.12, 1.0}.normalized(), 3);
                }
            }
            sum = sum * (1.0 / (kSamples * kSamples));
            line[x] = qRgb(channel(sum.x), channel(sum.y), channel(sum.z));
        }
    }
    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpeg");
    writer.setQuality(90);
    if (!writer.write(image)) {
        QTextStream(stderr) << "about_picture: " << writer.errorString() << '\n';
        return 1;
    }
    return 0;
}
