// SPDX-License-Identifier: MIT
// Draws the three pictures the windows show and writes them as PNG files:
//   banner.png  550 x 200, 16 colours: the block diagram of the control loop
//   splash.png  136 x 131, 256 colours: the arm sketch of the splash window
//   icon.png     32 x  32, 16 colours: two neuron symbols, the program's icon
// Usage: nc-draw-pictures <output folder>
// The program itself reads none of these at run time: the PNGs are committed
// under ui/main/pictures and compiled in as resources.
//
// With --icons it draws the icon for the desktop's icon theme instead, at every
// size the theme usually holds, as <folder>/<N>x<N>/apps/<name>.png:
// Usage: nc-draw-pictures --icons <output folder> <name>
// The 32 x 32 one is the window's icon, to the byte; the other sizes draw the
// same figure scaled, with antialiasing.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QPolygonF>
#include <QString>
#include <QVector>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The standard 16-colour palette.
const QVector<QRgb>& Palette16()
{
    static const QVector<QRgb> colours
        = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
           qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
           qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
           qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return colours;
}

// 256 colours: the 16 standard ones, a 6 x 6 x 6 colour cube and 24 greys.
QVector<QRgb> Palette256()
{
    QVector<QRgb> colours = Palette16();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                colours.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 24; ++i) {
        const int v = 8 + i * 10;
        colours.push_back(qRgb(v, v, v));
    }
    return colours;
}

// Drawing happens in true colour with antialiasing off, so every pixel already
// holds a palette colour and the conversion to indexed colour is exact.
QImage ToIndexed(const QImage& image, const QVector<QRgb>& palette, bool dither)
{
    const Qt::ImageConversionFlags flags = dither ? Qt::ImageConversionFlags(Qt::DiffuseDither)
                                                  : Qt::ImageConversionFlags(Qt::ThresholdDither | Qt::AvoidDither);
    return image.convertToFormat(QImage::Format_Indexed8, palette, flags);
}

QFont SmallFont(int pixels, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void Arrow(QPainter& p, QPoint from, QPoint to, int head = 5)
{
    p.drawLine(from, to);
    const double angle = std::atan2(double(to.y() - from.y()), double(to.x() - from.x()));
    const double spread = 0.45;
    const QPoint a(to.x() - int(std::lround(head * std::cos(angle - spread))),
                   to.y() - int(std::lround(head * std::sin(angle - spread))));
    const QPoint b(to.x() - int(std::lround(head * std::cos(angle + spread))),
                   to.y() - int(std::lround(head * std::sin(angle + spread))));
    const QBrush old = p.brush();
    p.setBrush(p.pen().color());
    p.drawPolygon(QPolygon({to, a, b}));
    p.setBrush(old);
}

void Dot(QPainter& p, QPoint centre, int radius)
{
    const QBrush old = p.brush();
    p.setBrush(p.pen().color());
    p.drawEllipse(centre, radius, radius);
    p.setBrush(old);
}

void CentredText(QPainter& p, int left, int width, int baseline, const QString& text)
{
    const int w = p.fontMetrics().horizontalAdvance(text);
    p.drawText(left + (width - w) / 2, baseline, text);
}

// A small plot icon: axes, a title above and a curve given by f(t), t in [0, 1],
// f in [0, 1] upwards.
template <class F> void PlotIcon(QPainter& p, QRect box, const QString& title, QColor colour, F f)
{
    p.setPen(Qt::black);
    p.setFont(SmallFont(11));
    CentredText(p, box.left(), box.width(), box.top() - 3, title);
    p.setBrush(Qt::white);
    p.drawRect(box);
    const int x0 = box.left() + 5, y0 = box.bottom() - 5;
    const int w = box.width() - 10, h = box.height() - 12;
    Arrow(p, QPoint(x0, y0), QPoint(x0, box.top() + 3), 3);
    Arrow(p, QPoint(x0, y0), QPoint(box.right() - 3, y0), 3);
    p.setPen(QPen(colour, 2));
    QPolygon curve;
    for (int i = 0; i <= w - 4; ++i) {
        const double t = double(i) / (w - 4);
        curve << QPoint(x0 + 1 + i, y0 - 1 - int(std::lround(f(t) * h)));
    }
    p.drawPolyline(curve);
    p.setPen(Qt::black);
}

QImage DrawBanner()
{
    QImage image(550, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setFont(SmallFont(11));

    // The network: three inputs, four hidden neurons, one output, fully connected.
    const QRect red(140, 6, 150, 140);
    p.drawRect(red);
    p.setFont(SmallFont(12, true));
    CentredText(p, red.left(), red.width(), red.top() + 15, QStringLiteral("Red Neuronal"));
    const QVector<QPoint> inputs = {{172, 52}, {172, 84}, {172, 116}};
    const QVector<QPoint> hidden = {{216, 38}, {216, 66}, {216, 94}, {216, 122}};
    const QPoint output(262, 80);
    for (QPoint i : inputs)
        for (QPoint h : hidden)
            p.drawLine(i, h);
    for (QPoint h : hidden)
        p.drawLine(h, output);
    p.setBrush(Qt::white);
    for (QPoint i : inputs)
        p.drawEllipse(i, 6, 6);
    for (QPoint h : hidden)
        p.drawEllipse(h, 6, 6);
    p.drawEllipse(output, 6, 6);
    p.setBrush(Qt::NoBrush);

    // Hold feeds the first two inputs and takes the fed-back outputs from below.
    const QRect hold(70, 36, 44, 64);
    p.drawRect(hold);
    p.setFont(SmallFont(12, true));
    CentredText(p, hold.left(), hold.width(), hold.top() + 37, QStringLiteral("Hold"));
    p.setFont(SmallFont(11));
    Arrow(p, QPoint(hold.right(), 52), QPoint(inputs[0].x() - 7, 52));
    Arrow(p, QPoint(hold.right(), 84), QPoint(inputs[1].x() - 7, 84));

    // The reference comes down from the top edge and enters the third input.
    p.drawLine(40, 0, 40, 116);
    Arrow(p, QPoint(40, 116), QPoint(inputs[2].x() - 7, 116));

    // The force u(t) leaves the network for the arm.
    const QRect brazo(314, 6, 126, 140);
    Arrow(p, QPoint(output.x() + 7, 80), QPoint(brazo.left(), 80));
    p.drawText(292, 75, QStringLiteral("u(t)"));

    // The arm: pointing right on its pivot circle atop a vertical bar.
    p.drawRect(brazo);
    p.setFont(SmallFont(12, true));
    CentredText(p, brazo.left(), brazo.width(), brazo.top() + 15, QStringLiteral("Brazo posicionador"));
    p.setFont(SmallFont(11));
    const QPoint pivot(364, 90);
    p.setBrush(Qt::white);
    p.drawRect(QRect(pivot.x() - 4, pivot.y(), 8, 44));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(pivot, QPoint(pivot.x() + 44, pivot.y()));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(pivot, 6, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(pivot.x(), pivot.y() - 7, pivot.x(), 36);
    p.setPen(QPen(Qt::black, 1));
    p.drawText(pivot.x() - 7, 34, QStringLiteral("0º"));
    p.drawArc(QRect(pivot.x() - 26, pivot.y() - 26, 52, 52), 0, 90 * 16);
    Arrow(p, QPoint(pivot.x() + 25, pivot.y() - 8), QPoint(pivot.x() + 26, pivot.y() - 3), 4);
    p.drawText(pivot.x() + 18, pivot.y() - 28, QStringLiteral("Ø(t)"));
    Arrow(p, QPoint(brazo.left() + 8, 124), QPoint(pivot.x() - 5, 124));
    p.drawText(brazo.left() + 8, 120, QStringLiteral("u(t)"));

    // The two outputs run right to the plot icons and back along the bottom.
    const int yPos = 48, yVel = 118;
    p.drawLine(brazo.right(), yPos, 470, yPos);
    p.drawLine(brazo.right(), yVel, 470, yVel);
    Dot(p, QPoint(448, yPos), 2);
    Dot(p, QPoint(456, yVel), 2);
    p.drawLine(448, yPos, 448, 158);
    p.drawLine(456, yVel, 456, 166);
    p.drawLine(448, 158, 84, 158);
    p.drawLine(456, 166, 100, 166);
    Arrow(p, QPoint(84, 158), QPoint(84, hold.bottom() + 1));
    Arrow(p, QPoint(100, 166), QPoint(100, hold.bottom() + 1));
    p.drawText(150, 156, QStringLiteral("Ø(t)"));

    PlotIcon(p, QRect(472, 22, 70, 54), QStringLiteral("Posición"), QColor(0, 0, 255),
             [](double t) { return 1.0 - std::exp(-5.0 * t) * std::cos(6.0 * t) * 0.95 - 0.05; });
    PlotIcon(p, QRect(472, 96, 70, 54), QStringLiteral("Velocidad"), QColor(255, 0, 0),
             [](double t) { return 2.7 * 5.0 * t * std::exp(-5.0 * t) * 0.95; });
    p.end();
    return ToIndexed(image, Palette16(), false);
}

QImage DrawSplash()
{
    QImage image(136, 131, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));

    p.setFont(SmallFont(12, true));
    CentredText(p, 0, 136, 12, QStringLiteral("Brazo posicionador"));
    const QRect box(6, 17, 112, 108);
    p.drawRect(box);

    // The arm stands upright: a bar on the pivot circle with a D-shaped head.
    const QPoint pivot(58, 92);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRect(pivot.x() - 4, pivot.y(), 8, 28));
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(QRect(pivot.x() - 3, 48, 6, pivot.y() - 48));
    QPainterPath head;
    head.moveTo(pivot.x() - 12, 48);
    head.lineTo(pivot.x() + 12, 48);
    head.arcTo(QRectF(pivot.x() - 12, 36, 24, 24), 0, 180);
    head.closeSubpath();
    p.setBrush(QColor(192, 192, 192));
    p.drawPath(head);
    p.setBrush(QColor(255, 0, 0));
    p.drawEllipse(pivot, 7, 7);
    p.setBrush(Qt::NoBrush);

    // The angle marks at the top.
    p.setFont(SmallFont(11));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(pivot.x(), 34, pivot.x(), 22);
    p.setPen(QPen(Qt::black, 1));
    p.drawText(pivot.x() - 22, 31, QStringLiteral("0º"));
    p.drawArc(QRect(pivot.x() - 20, 20, 40, 40), 60 * 16, 30 * 16);
    p.drawText(pivot.x() + 10, 31, QStringLiteral("Ø(t)"));

    // The force enters at the lower left; the outputs leave on the right.
    Arrow(p, QPoint(0, 112), QPoint(pivot.x() - 5, 112));
    p.drawText(12, 108, QStringLiteral("u(t)"));
    Arrow(p, QPoint(box.right(), 60), QPoint(135, 60), 4);
    Arrow(p, QPoint(box.right(), 84), QPoint(135, 84), 4);
    p.end();
    return ToIndexed(image, Palette256(), false);
}

// A red S drawn pixel by pixel: at this size no font gives a clean letter.
void DrawS(QImage& image, int left, int top)
{
    static const char* const rows[] = {
        ".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###.",
    };
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 5; ++x)
            if (rows[y][x] == '#')
                image.setPixel(left + x, top + y, qRgb(255, 0, 0));
}

QImage DrawIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int top : {0, 16}) {
            const int cy = top + 7;
            p.setPen(QPen(QColor(0, 0, 0), 1));
            Arrow(p, QPoint(0, cy - 4), QPoint(8, cy - 3), 3);
            Arrow(p, QPoint(0, cy + 4), QPoint(8, cy + 3), 3);
            Arrow(p, QPoint(24, cy), QPoint(31, cy), 3);
            p.setPen(QPen(QColor(0, 0, 128), 1));
            p.setBrush(QColor(0, 0, 128));
            p.drawEllipse(QRect(9, top, 14, 14));
        }
    }
    DrawS(image, 14, 4);
    DrawS(image, 14, 20);
    // Sixteen colours, one of them standing for the transparent background.
    QVector<QRgb> palette = Palette16();
    palette[3] = qRgba(0, 0, 0, 0);
    return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither);
}

// The icon at any size: the 32 x 32 figure scaled, smooth. The letter is a
// font's S, which reads well from 48 pixels up; below, it is a red blot, as
// in the 32 x 32 icon at a glance.
QImage DrawScaledIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(size / 32.0, size / 32.0);
    const auto arrow = [&p](QPointF from, QPointF to) {
        p.setBrush(Qt::NoBrush);
        p.drawLine(from, to);
        const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
        const double head = 3.0, spread = 0.45;
        const QPointF a(to.x() - head * std::cos(angle - spread), to.y() - head * std::sin(angle - spread));
        const QPointF b(to.x() - head * std::cos(angle + spread), to.y() - head * std::sin(angle + spread));
        p.setBrush(p.pen().color());
        p.drawPolygon(QPolygonF({to, a, b}));
    };
    QFont letter;
    letter.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    letter.setPixelSize(11);
    letter.setBold(true);
    p.setFont(letter);
    for (double top : {0.5, 16.5}) {
        const double cy = top + 7;
        p.setPen(QPen(QColor(0, 0, 0), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        arrow(QPointF(0, cy - 4), QPointF(8.5, cy - 2.8));
        arrow(QPointF(0, cy + 4), QPointF(8.5, cy + 2.8));
        arrow(QPointF(23.5, cy), QPointF(32, cy));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 128));
        p.drawEllipse(QPointF(16, cy), 7.5, 7.5);
        p.setPen(QColor(255, 0, 0));
        p.drawText(QRectF(8.5, top - 0.5, 15, 15), Qt::AlignCenter, QStringLiteral("S"));
    }
    p.end();
    return image;
}

bool Save(const QImage& image, const QDir& dir, const char* name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The sizes of the hicolor theme's fixed-size folders that desktops look in.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool DrawThemeIcons(const QString& folder, const char* name)
{
    const QString file = QString::fromLocal8Bit(name) + QStringLiteral(".png");
    for (int size : kThemeSizes) {
        QDir dir(QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size));
        if (!QDir().mkpath(dir.path())) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir.path()));
            return false;
        }
        const QImage icon = size == 32 ? DrawIcon() : DrawScaledIcon(size);
        if (!Save(icon, dir, qPrintable(file)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--icons") == 0)
        return DrawThemeIcons(QString::fromLocal8Bit(argv[2]), argv[3]) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: nc-draw-pictures <output folder>\n"
                     "       nc-draw-pictures --icons <output folder> <name>\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = Save(DrawBanner(), dir, "banner.png") && Save(DrawSplash(), dir, "splash.png")
        && Save(DrawIcon(), dir, "icon.png");
    return ok ? 0 : 1;
}
