// Draws the dialer's two pieces of window artwork: the banner picture shown in the
// main window (satellite.jpg) and the window icon (keypad.ico).
//
// Usage: draw_assets <output folder>   (uses the offscreen platform unless
//        QT_QPA_PLATFORM says otherwise)
//
// Everything is painted with QPainter, so the artwork can be regenerated at any
// time and the output is the same from run to run.

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kBannerWidth = 220;
constexpr int kBannerHeight = 131;
constexpr int kIconSize = 32;

// ---------------------------------------------------------------------------
// Small helpers

// A tiny linear congruential generator, so the star field is identical on every
// platform and every run.
class StarDice {
public:
    explicit StarDice(std::uint32_t seed) : state_(seed) {}
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
    }

private:
    std::uint32_t state_;
};

struct Vec3 {
    double x;
    double y;
    double z;
};

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalised(Vec3 a) {
    return a * (1.0 / std::sqrt(Dot(a, a)));
}

// The four corners of a rectangle, clockwise from the top left. (QPolygonF's own
// QRectF constructor closes the polygon with a fifth point, which
// QTransform::quadToQuad() refuses.)
QPolygonF Corners(const QRectF& r) {
    return QPolygonF() << r.topLeft() << r.topRight() << r.bottomRight() << r.bottomLeft();
}

QColor Shaded(const QColor& base, double light) {
    const auto scale = [light](int c) { return std::clamp(static_cast<int>(c * light), 0, 255); };
    return QColor(scale(base.red()), scale(base.green()), scale(base.blue()), base.alpha());
}

// ---------------------------------------------------------------------------
// Banner picture

// Turns the cube's model coordinates (y up, z towards the viewer) into screen
// positions: a yaw to show the right-hand face, then a pitch to show the top.
class CubeView {
public:
    CubeView(QPointF centre, double yawDegrees, double pitchDegrees)
        : centre_(centre), yaw_(yawDegrees * std::numbers::pi / 180.0),
          pitch_(pitchDegrees * std::numbers::pi / 180.0) {}

    Vec3 rotate(Vec3 p) const {
        const double x1 = p.x * std::cos(yaw_) + p.z * std::sin(yaw_);
        const double z1 = -p.x * std::sin(yaw_) + p.z * std::cos(yaw_);
        const double y2 = p.y * std::cos(pitch_) - z1 * std::sin(pitch_);
        const double z2 = p.y * std::sin(pitch_) + z1 * std::cos(pitch_);
        return {x1, y2, z2};
    }

    QPointF project(Vec3 p) const {
        const Vec3 r = rotate(p);
        return {centre_.x() + r.x, centre_.y() - r.y};
    }

private:
    QPointF centre_;
    double yaw_;
    double pitch_;
};

struct CubeFace {
    Vec3 normal;
    Vec3 right; // the face's own "across" direction
    Vec3 up;    // the face's own "up" direction
};

// Paints one face of the cube in a 100 x 100 face-local square: the aluminium
// frame with its corner rails, and a solar panel of four cells. The caller maps
// the square onto the face and passes how brightly the face is lit.
void PaintFaceContents(QPainter& p, double light) {
    const QColor frame = Shaded(QColor(178, 186, 198), light);
    const QColor rail = Shaded(QColor(214, 220, 228), light);
    const QColor panel = Shaded(QColor(22, 30, 58), light);

    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawRect(QRectF(0, 0, 100, 100));

    // The structure's corner rails run down both sides of every face.
    p.setBrush(rail);
    p.drawRect(QRectF(0, 0, 9, 100));
    p.drawRect(QRectF(91, 0, 9, 100));

    // Panel substrate.
    p.setBrush(panel);
    p.drawRect(QRectF(13, 8, 74, 84));

    // Cells: dark blue with a soft sheen, corners clipped as on real
    // triple-junction cells, and a thin silver bus bar.
    const QRectF cells[] = {QRectF(16, 11, 33, 38), QRectF(51, 11, 33, 38), QRectF(16, 51, 33, 38),
                            QRectF(51, 51, 33, 38)};
    for (const QRectF& c : cells) {
        const double cut = 6;
        QPolygonF cell;
        cell << QPointF(c.left() + cut, c.top()) << QPointF(c.right() - cut, c.top())
             << QPointF(c.right(), c.top() + cut) << QPointF(c.right(), c.bottom() - cut)
             << QPointF(c.right() - cut, c.bottom()) << QPointF(c.left() + cut, c.bottom())
             << QPointF(c.left(), c.bottom() - cut) << QPointF(c.left(), c.top() + cut);
        QLinearGradient sheen(c.topLeft(), c.bottomRight());
        sheen.setColorAt(0.0, Shaded(QColor(64, 96, 176), light));
        sheen.setColorAt(0.55, Shaded(QColor(34, 52, 120), light));
        sheen.setColorAt(1.0, Shaded(QColor(26, 38, 96), light));
        p.setBrush(sheen);
        p.drawPolygon(cell);

        p.setPen(QPen(Shaded(QColor(150, 165, 195), light), 1.6));
        p.drawLine(QPointF(c.left() + 3, c.center().y()), QPointF(c.right() - 3, c.center().y()));
        p.setPen(Qt::NoPen);
    }
}

void PaintBackground(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kBannerHeight);
    sky.setColorAt(0.0, QColor(5, 10, 26));
    sky.setColorAt(1.0, QColor(16, 32, 66));
    p.fillRect(QRectF(0, 0, kBannerWidth, kBannerHeight), sky);

    // Stars: mostly faint dots, a few brighter ones with a small glint.
    StarDice dice(0x4b455354u);
    for (int i = 0; i < 46; ++i) {
        const QPointF at(dice.next() * kBannerWidth, dice.next() * kBannerHeight);
        const double brightness = 0.25 + 0.75 * dice.next() * dice.next();
        const double radius = 0.35 + 0.45 * dice.next();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 230, 255, static_cast<int>(255 * brightness)));
        p.drawEllipse(at, radius, radius);
        if (brightness > 0.72) {
            p.setPen(QPen(QColor(200, 215, 255, 110), 0.6));
            p.drawLine(at - QPointF(2.2, 0), at + QPointF(2.2, 0));
            p.drawLine(at - QPointF(0, 2.2), at + QPointF(0, 2.2));
        }
    }

    // The Earth's limb in the lower right corner, with a thin band of air.
    const QPointF earthCentre(268, 318);
    const double earthRadius = 214;
    QRadialGradient ground(earthCentre, earthRadius);
    ground.setColorAt(0.0, QColor(12, 52, 96));
    ground.setColorAt(0.93, QColor(22, 84, 140));
    ground.setColorAt(1.0, QColor(60, 140, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawEllipse(earthCentre, earthRadius, earthRadius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(120, 190, 255, 70), 3.0));
    p.drawEllipse(earthCentre, earthRadius + 1.5, earthRadius + 1.5);
    p.setPen(QPen(QColor(170, 220, 255, 150), 0.8));
    p.drawEllipse(earthCentre, earthRadius + 0.4, earthRadius + 0.4);
}

// The word mark: a stylised kestrel, "KESTREL" in bold capitals and an orange
// orbit swoosh underneath, centred across the top of the picture.
void PaintLogo(QPainter& p) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(17);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    const QString word = QStringLiteral("KESTREL");
    const QFontMetricsF metrics(font);
    const double textWidth = metrics.horizontalAdvance(word) - 1.6;

    const double birdWidth = 30;
    const double gap = 6;
    const double left = (kBannerWidth - (birdWidth + gap + textWidth)) / 2.0;
    const double baseline = 24;

    // Bird, seen from below as it hangs on the wind, drawn in a 30 x 18 box:
    // small head, long pointed wings crooked at the wrist, and a narrow tail.
    QPainterPath bird;
    bird.moveTo(15, 0.4);
    bird.cubicTo(16.1, 0.4, 16.6, 1.6, 16.3, 3.6);
    bird.cubicTo(18, 2.5, 20, 1.7, 21.6, 2.0);
    bird.cubicTo(25, 2.8, 28, 5.8, 30, 9.6);
    bird.cubicTo(26.6, 7.6, 23, 7.0, 20.6, 7.5);
    bird.cubicTo(18.6, 7.9, 17.2, 8.6, 16.2, 9.6);
    bird.lineTo(16.9, 16.4);
    bird.quadTo(15, 17.8, 13.1, 16.4);
    bird.lineTo(13.8, 9.6);
    bird.cubicTo(12.8, 8.6, 11.4, 7.9, 9.4, 7.5);
    bird.cubicTo(7, 7.0, 3.4, 7.6, 0, 9.6);
    bird.cubicTo(2, 5.8, 5, 2.8, 8.4, 2.0);
    bird.cubicTo(10, 1.7, 12, 2.5, 13.7, 3.6);
    bird.cubicTo(13.4, 1.6, 13.9, 0.4, 15, 0.4);
    bird.closeSubpath();
    p.save();
    p.translate(left + birdWidth / 2, baseline - 8);
    p.rotate(-12);
    p.translate(-15, -9);
    QLinearGradient plumage(0, 0, 0, 18);
    plumage.setColorAt(0.0, QColor(255, 184, 96));
    plumage.setColorAt(1.0, QColor(222, 104, 36));
    p.setPen(Qt::NoPen);
    p.setBrush(plumage);
    p.drawPath(bird);
    p.restore();

    // A thin orbit swoosh under the word, tapering to points at both ends.
    const double textLeft = left + birdWidth + gap;
    const double textRight = textLeft + textWidth;
    QPainterPath swoosh;
    swoosh.moveTo(textLeft - 3, baseline + 3.2);
    swoosh.quadTo(textLeft + textWidth * 0.5, baseline + 7.6, textRight + 6, baseline - 1.5);
    swoosh.quadTo(textLeft + textWidth * 0.5, baseline + 4.4, textLeft - 3, baseline + 3.2);
    swoosh.closeSubpath();
    p.setBrush(QColor(232, 128, 48));
    p.drawPath(swoosh);

    p.setFont(font);
    p.setPen(QColor(236, 242, 252));
    p.drawText(QPointF(textLeft, baseline), word);
}

void PaintSatellite(QPainter& p) {
    const double half = 24;
    const CubeView view(QPointF(106, 85), -30, 20);
    const Vec3 toLight = Normalised({-0.45, 0.75, 0.55});

    const std::array<CubeFace, 6> faces = {{
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    }};

    // Four deployed whip antennas, one from each outer corner of the left and
    // right edges, swept slightly up at the top and down at the bottom.
    struct Whip {
        Vec3 base;
        Vec3 direction;
    };
    const std::array<Whip, 4> whips = {{
        {{-half, half, half}, Normalised({-1, 0.3, 0})},
        {{half, half, -half}, Normalised({1, 0.3, 0})},
        {{-half, -half, half}, Normalised({-1, -0.25, 0})},
        {{half, -half, -half}, Normalised({1, -0.1, 0})},
    }};
    const double whipLength = 40;
    const auto paintWhip = [&](const Whip& w) {
        const QPointF a = view.project(w.base);
        const QPointF b = view.project(w.base + w.direction * whipLength);
        p.setPen(QPen(QColor(226, 230, 238, 235), 0.9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 250, 255));
        p.drawEllipse(b, 0.9, 0.9);
        p.setBrush(QColor(60, 64, 72));
        p.drawEllipse(a, 1.3, 1.3);
    };

    // A faint glow behind the spacecraft lifts it off the background.
    QRadialGradient glow(view.project({0, 0, 0}), 52);
    glow.setColorAt(0.0, QColor(90, 130, 210, 70));
    glow.setColorAt(1.0, QColor(90, 130, 210, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(view.project({0, 0, 0}), 52, 52);

    for (const Whip& w : whips) {
        if (view.rotate(w.direction).z < 0) {
            paintWhip(w);
        }
    }

    for (const CubeFace& face : faces) {
        const Vec3 n = view.rotate(face.normal);
        if (n.z <= 0.01) {
            continue;
        }
        const Vec3 centre = face.normal * half;
        const Vec3 u = face.right * half;
        const Vec3 v = face.up * half;
        QPolygonF quad;
        quad << view.project(centre - u + v) << view.project(centre + u + v)
             << view.project(centre + u - v) << view.project(centre - u - v);
        QTransform toFace;
        if (!QTransform::quadToQuad(Corners(QRectF(0, 0, 100, 100)), quad, toFace)) {
            continue;
        }
        const double light = 0.55 + 0.6 * std::max(0.0, Dot(face.normal, toLight));
        p.save();
        p.setTransform(toFace, true);
        PaintFaceContents(p, light);
        p.restore();
    }

    // Crisp outline along the visible silhouette and edges.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(236, 240, 248, 170), 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const CubeFace& face : faces) {
        if (view.rotate(face.normal).z <= 0.01) {
            continue;
        }
        const Vec3 centre = face.normal * half;
        const Vec3 u = face.right * half;
        const Vec3 v = face.up * half;
        QPolygonF quad;
        quad << view.project(centre - u + v) << view.project(centre + u + v)
             << view.project(centre + u - v) << view.project(centre - u - v);
        p.drawPolygon(quad);
    }

    for (const Whip& w : whips) {
        if (view.rotate(w.direction).z >= 0) {
            paintWhip(w);
        }
    }
}

QImage DrawBanner() {
    QImage image(kBannerWidth, kBannerHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PaintBackground(p);
    PaintSatellite(p);
    PaintLogo(p);
    p.end();
    return image;
}

// ---------------------------------------------------------------------------
// Window icon

// A telephone keypad of 3 x 4 keys on a dark base, tilted away from the viewer.
// Painted at eight times the icon size and then averaged down, which gives much
// cleaner edges than painting the tiny keys directly.
QImage DrawKeypad() {
    constexpr int kOversample = 8;
    constexpr int kCanvas = kIconSize * kOversample;
    QImage big(kCanvas, kCanvas, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);

    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kOversample, kOversample);

    // The keypad is laid out flat in a 30 x 38 plane and then put into
    // perspective: the far (top) edge is narrower than the near one.
    const double plateW = 30;
    const double plateH = 38;
    QPolygonF slanted;
    slanted << QPointF(6.0, 1.0) << QPointF(27.5, 2.0) << QPointF(31.5, 30.5) << QPointF(0.5, 29.5);
    QTransform perspective;
    if (!QTransform::quadToQuad(Corners(QRectF(0, 0, plateW, plateH)), slanted, perspective)) {
        return {};
    }
    p.setTransform(perspective, true);

    // Base plate: a grey rim around a black well, with the plate's near edge
    // showing as a dark band beneath it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0));
    p.drawRoundedRect(QRectF(0, 2.6, plateW, plateH - 2.6), 3.5, 3.5);
    p.setBrush(QColor(128, 128, 128));
    p.drawRoundedRect(QRectF(0, 0, plateW, plateH - 1.8), 3.5, 3.5);
    p.setBrush(QColor(0, 0, 0));
    p.drawRoundedRect(QRectF(1.9, 1.9, plateW - 3.8, plateH - 5.4), 2.2, 2.2);

    // Keys: a white cap on a silver skirt that shows on the near side.
    const int cols = 3;
    const int rows = 4;
    const double margin = 3.0;
    const double gapX = 1.6;
    const double gapY = 1.6;
    const double keyW = (plateW - 2 * margin - (cols - 1) * gapX) / cols;
    const double keyH = (plateH - 1.8 - 2 * margin - (rows - 1) * gapY) / rows;
    const double skirt = 1.9;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const QRectF key(margin + c * (keyW + gapX), margin + r * (keyH + gapY), keyW, keyH);
            const QRectF cap = key.adjusted(0, 0, 0, -skirt);
            p.setBrush(QColor(192, 192, 192));
            p.drawRoundedRect(key, 1.6, 1.6);
            p.setBrush(QColor(255, 255, 255));
            p.drawRoundedRect(cap, 1.6, 1.6);
        }
    }
    p.end();

    return big.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// The sixteen colours of the classic VGA / Windows palette.
constexpr std::array<QRgb, 16> kPalette = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};

int NearestPaletteIndex(QRgb colour) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < static_cast<int>(kPalette.size()); ++i) {
        // Weighted roughly by how sensitive the eye is to each primary.
        const long dr = qRed(colour) - qRed(kPalette[i]);
        const long dg = qGreen(colour) - qGreen(kPalette[i]);
        const long db = qBlue(colour) - qBlue(kPalette[i]);
        const long distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void PutU8(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xff));
}
void PutU16(QByteArray& out, int value) {
    PutU8(out, value);
    PutU8(out, value >> 8);
}
void PutU32(QByteArray& out, std::uint32_t value) {
    PutU16(out, static_cast<int>(value & 0xffff));
    PutU16(out, static_cast<int>(value >> 16));
}

// Writes a 32 x 32, 16-colour Windows icon: the icon directory, one entry, and a
// single DIB image holding the 4-bit colour bitmap followed by the 1-bit
// transparency mask, both stored bottom row first.
QByteArray EncodeIcon16(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    constexpr int kXorStride = kIconSize / 2;               // 4 bits per pixel
    constexpr int kAndStride = ((kIconSize + 31) / 32) * 4; // rows padded to 32 bits
    constexpr int kHeaderSize = 40;
    constexpr int kPaletteSize = 16 * 4;
    constexpr int kXorSize = kXorStride * kIconSize;
    constexpr int kAndSize = kAndStride * kIconSize;
    constexpr int kImageSize = kHeaderSize + kPaletteSize + kXorSize + kAndSize;
    constexpr int kImageOffset = 6 + 16;

    QByteArray out;
    out.reserve(kImageOffset + kImageSize);

    // ICONDIR
    PutU16(out, 0); // reserved
    PutU16(out, 1); // 1 = icon
    PutU16(out, 1); // one image

    // ICONDIRENTRY
    PutU8(out, kIconSize);
    PutU8(out, kIconSize);
    PutU8(out, 16); // colours in the palette
    PutU8(out, 0);  // reserved
    PutU16(out, 1); // planes
    PutU16(out, 4); // bits per pixel
    PutU32(out, kImageSize);
    PutU32(out, kImageOffset);

    // BITMAPINFOHEADER; the height counts both the colour bitmap and the mask.
    PutU32(out, kHeaderSize);
    PutU32(out, kIconSize);
    PutU32(out, kIconSize * 2);
    PutU16(out, 1); // planes
    PutU16(out, 4); // bits per pixel
    PutU32(out, 0); // BI_RGB
    PutU32(out, kXorSize + kAndSize);
    PutU32(out, 0);  // horizontal resolution
    PutU32(out, 0);  // vertical resolution
    PutU32(out, 16); // colours used
    PutU32(out, 0);  // important colours

    for (QRgb c : kPalette) {
        PutU8(out, qBlue(c));
        PutU8(out, qGreen(c));
        PutU8(out, qRed(c));
        PutU8(out, 0);
    }

    std::array<std::array<int, kIconSize>, kIconSize> index{};
    std::array<std::array<bool, kIconSize>, kIconSize> transparent{};
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            const QRgb px = image.pixel(x, y);
            transparent[y][x] = qAlpha(px) < 128;
            index[y][x] = transparent[y][x] ? 0 : NearestPaletteIndex(px);
        }
    }

    for (int y = kIconSize - 1; y >= 0; --y) {
        for (int x = 0; x < kIconSize; x += 2) {
            PutU8(out, (index[y][x] << 4) | index[y][x + 1]);
        }
    }
    for (int y = kIconSize - 1; y >= 0; --y) {
        for (int byte = 0; byte < kAndStride; ++byte) {
            int bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                if (x < kIconSize && transparent[y][x]) {
                    bits |= 0x80 >> bit;
                }
            }
            PutU8(out, bits);
        }
    }
    return out;
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    // Nothing is shown on screen, so don't insist on a display unless the
    // caller has picked a platform plugin.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const QString bannerPath = folder.filePath(QStringLiteral("satellite.jpg"));
    if (!DrawBanner().save(bannerPath, "JPG", 92)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(bannerPath));
        return 1;
    }

    const QString iconPath = folder.filePath(QStringLiteral("keypad.ico"));
    const QImage keypad = DrawKeypad();
    if (keypad.isNull() || !WriteBytes(iconPath, EncodeIcon16(keypad))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(iconPath));
        return 1;
    }

    // Read both back, so a broken file is caught here rather than in the dialer.
    const QImage bannerBack(bannerPath);
    const QImage iconBack(iconPath);
    const QIcon icon(iconPath);
    if (bannerBack.size() != QSize(kBannerWidth, kBannerHeight) ||
        iconBack.size() != QSize(kIconSize, kIconSize) || icon.isNull()) {
        std::fprintf(stderr, "written artwork does not read back correctly\n");
        return 1;
    }
    return 0;
}
