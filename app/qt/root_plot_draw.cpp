// The plot's picture: axes, ticks and labels, the unit circle, the roots'
// marks, on the screen and into PNG and SVG files.
#include "app/qt/root_plot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPaintEngine>
#include <QSvgGenerator>

#include "app/density.h"

namespace korvel {

namespace {

// Ticks at least this many pixels apart.
constexpr double tickPixels = 80;

QColor const rootColor(31, 95, 191);
QColor const uncertainColor(217, 110, 20);
QColor const highlightColor(200, 30, 30);

// The marks of a root: a filled dot, or a ring for a root not certain to the
// figures shown.
void drawMark(QPainter& painter, QPointF p, bool ring) {
    painter.setPen(ring ? QPen(uncertainColor, 1.6) : Qt::NoPen);
    painter.setBrush(ring ? QBrush(Qt::NoBrush) : QBrush(rootColor));
    painter.drawEllipse(p, ring ? 3.5 : 3.2, ring ? 3.5 : 3.2);
}

// A step of 1, 2 or 5 times a power of ten near `rough`.
double niceStep(double rough) {
    double const power = std::pow(10.0, std::floor(std::log10(rough)));
    double const m = rough / power;
    return (m < 1.5 ? 1 : m < 3.5 ? 2 : m < 7.5 ? 5 : 10) * power;
}

// The multiples of step from `from` to `to`; none where doubles no longer
// tell neighbouring ticks apart (a view far smaller than its distance from 0).
std::vector<double> ticks(double from, double to, double step) {
    double const first = std::ceil(from / step), last = std::floor(to / step);
    std::vector<double> out;
    if (!(std::abs(first) < 0x1p50 && std::abs(last) < 0x1p50 && last - first < 1000)) return out;
    for (double i = first; i <= last; ++i) out.push_back(i * step);
    return out;
}

// A tick value to as many figures as the step tells apart.
QString tickLabel(double v, double step) {
    if (std::abs(v) < step * 1e-9) return "0";
    int const figures = std::max(1, int(std::ceil(std::log10(std::abs(v) / step))) + 1);
    return QString::number(v, 'g', std::min(figures, 17));
}

// Beyond this many steps from 0, a tick is labelled by its offset from the
// tick at the view's middle: deep in, "2.00000000001" and "2.00000000002"
// would be wider than the room between them.
constexpr double offsetLabelsFrom = 1e4;
// Labels at least this many pixels apart, beside their widths.
constexpr double labelGap = 12;

QFont labelFont(QFont const& font) { return QFont(font.family(), 8); }

}  // namespace

QImage RootPlot::markImage(bool ring) {
    QImage mark(10, 10, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    drawMark(painter, QPointF(5, 5), ring);
    return mark;
}

void RootPlot::render(QPainter& painter, int width, int height) const {
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    // The view is kept in the widget's terms; another size keeps its center
    // and scale.
    QRectF const area = plotArea(width, height);
    drawAxes(painter, area);
    if (density_) drawDensity(painter, area);
    else drawRoots(painter, area);
}

void RootPlot::drawDensity(QPainter& painter, QRectF area) const {
    int const w = int(area.width()), h = int(area.height());
    if (w < 1 || h < 1) return;
    double const halfW = area.width() / 2 / scale_, halfH = area.height() / 2 / scale_;
    RootDensity density(w, h, PlaneWindow{center_.x() - halfW, center_.x() + halfW, center_.y() - halfH, center_.y() + halfH});
    density.add(*density_);
    std::vector<unsigned char> const rgb = density.rgb();
    // Where no root fell the axes show through.
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            unsigned char const* p = &rgb[3 * (std::size_t(y) * std::size_t(w) + std::size_t(x))];
            line[x] = p[0] + p[1] + p[2] == 0 ? qRgba(0, 0, 0, 0) : qRgb(p[0], p[1], p[2]);
        }
    }
    painter.save();
    if (stale_) painter.setOpacity(0.4);
    painter.drawImage(area.topLeft(), image);
    painter.restore();
}

RootPlot::Axis RootPlot::axis(Qt::Orientation orientation, QRectF area) const {
    bool const horizontal = orientation == Qt::Horizontal;
    double const middle = horizontal ? center_.x() : center_.y();
    double const half = (horizontal ? area.width() : area.height()) / 2 / scale_;
    QFontMetricsF const metrics(labelFont(font()));
    Axis out;
    // Thinned until the labels fit between the ticks.
    double step = niceStep(tickPixels / scale_);
    for (int tries = 0; tries < 40; ++tries, step = niceStep(2 * step)) {
        bool const offsets = std::max(std::abs(middle - half), std::abs(middle + half)) / step > offsetLabelsFrom;
        double const base = offsets ? std::round(middle / step) * step : 0;
        out = {ticks(middle - half, middle + half, step), {}, offsets ? tickLabel(base, step / 10) : QString()};
        double widest = 0;
        for (double v : out.at) {
            // The offset as a whole number of steps, exact whatever v's size.
            QString const label = offsets ? tickLabel(std::round((v - base) / step) * step, step) : tickLabel(v, step);
            out.labels << (offsets && label != "0" && !label.startsWith('-') ? "+" + label : label);
            widest = std::max(widest, metrics.horizontalAdvance(out.labels.back()));
        }
        if (step * scale_ >= (horizontal ? widest : metrics.height()) + labelGap) break;
    }
    return out;
}

void RootPlot::drawAxes(QPainter& painter, QRectF area) const {
    QPointF const c = area.center();
    auto x = [&](double re) { return c.x() + (re - center_.x()) * scale_; };
    auto y = [&](double im) { return c.y() - (im - center_.y()) * scale_; };
    double const left = center_.x() - area.width() / 2 / scale_, right = center_.x() + area.width() / 2 / scale_;
    double const bottom = center_.y() - area.height() / 2 / scale_, top = center_.y() + area.height() / 2 / scale_;

    QPen const grid(QColor(232, 232, 232), 1), text(QColor(60, 60, 60));
    painter.setFont(labelFont(font()));
    Axis const re = axis(Qt::Horizontal, area), im = axis(Qt::Vertical, area);
    for (std::size_t k = 0; k < re.at.size(); ++k) {
        double const v = re.at[k];
        painter.setPen(grid);
        painter.drawLine(QPointF(x(v), area.top()), QPointF(x(v), area.bottom()));
        painter.setPen(text);
        painter.drawLine(QPointF(x(v), area.bottom()), QPointF(x(v), area.bottom() + 4));
        painter.drawText(QRectF(x(v) - 60, area.bottom() + 5, 120, 14), Qt::AlignHCenter | Qt::AlignTop,
                         re.labels[qsizetype(k)]);
    }
    for (std::size_t k = 0; k < im.at.size(); ++k) {
        double const v = im.at[k];
        painter.setPen(grid);
        painter.drawLine(QPointF(area.left(), y(v)), QPointF(area.right(), y(v)));
        painter.setPen(text);
        painter.drawLine(QPointF(area.left() - 4, y(v)), QPointF(area.left(), y(v)));
        painter.drawText(QRectF(0, y(v) - 7, area.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                         im.labels[qsizetype(k)]);
    }
    // The base of offset labels, once per axis.
    if (!re.base.isEmpty())
        painter.drawText(QRectF(area.left(), area.bottom() + 18, area.width() - 44, 16), Qt::AlignLeft,
                         "Re: offsets from " + re.base);
    if (!im.base.isEmpty()) {
        QRectF const box(area.left() + 4, area.top() + 4, area.width() - 8, 16);
        painter.fillRect(box.adjusted(-2, 0, 2, 0), QColor(255, 255, 255, 220));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, "Im: offsets from " + im.base);
    }
    painter.drawText(QRectF(area.right() - 40, area.bottom() + 18, 40, 16), Qt::AlignRight, "Re");
    painter.drawText(QRectF(2, area.top(), 30, 16), Qt::AlignLeft, "Im");

    painter.save();
    painter.setClipRect(area);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    if (left <= 0 && 0 <= right) painter.drawLine(QPointF(x(0), area.top()), QPointF(x(0), area.bottom()));
    if (bottom <= 0 && 0 <= top) painter.drawLine(QPointF(area.left(), y(0)), QPointF(area.right(), y(0)));
    painter.setPen(QPen(QColor(190, 190, 190), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    if (scale_ < 1e7) painter.drawEllipse(QPointF(x(0), y(0)), scale_, scale_);
    painter.restore();
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.drawRect(area);
}

void RootPlot::drawRoots(QPainter& painter, QRectF area) const {
    QPointF const c = area.center();
    auto at = [&](QPointF z) {
        return QPointF(c.x() + (z.x() - center_.x()) * scale_, c.y() - (z.y() - center_.y()) * scale_);
    };
    QRectF const visible = area.adjusted(-8, -8, 8, 8);
    painter.save();
    if (stale_) painter.setOpacity(0.4);
    painter.setClipRect(area);
    // The disks first, then the marks: images on a raster, shapes where the
    // painter draws vectors.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(31, 95, 191, 90), 1));
    for (std::size_t k = 0; k < points_.size(); ++k)
        if (finite(points_[k]) && radii_[k] * scale_ >= 2 && visible.contains(at(points_[k])))
            painter.drawEllipse(at(points_[k]), radii_[k] * scale_, radii_[k] * scale_);
    bool const raster = painter.paintEngine()->type() != QPaintEngine::SVG;
    for (std::size_t k = 0; k < points_.size(); ++k) {
        if (!finite(points_[k])) continue;
        QPointF const p = at(points_[k]);
        if (!visible.contains(p)) continue;
        if (raster)
            painter.drawImage(p - QPointF(5, 5), marks_[uncertain_[k] ? 1 : 0]);
        else
            drawMark(painter, p, uncertain_[k]);
    }
    // A root of multiplicity m > 1 is one point drawn m times: its m stands beside it.
    painter.setPen(QPen(QColor(40, 40, 40)));
    for (std::size_t k = 0; k < points_.size(); ++k) {
        int const m = result_ ? result_->roots[k].multiplicity : 1;
        if (m < 2 || !finite(points_[k]) || !visible.contains(at(points_[k]))) continue;
        if (k > 0 && points_[k - 1] == points_[k]) continue;  // once per point
        painter.drawText(at(points_[k]) + QPointF(6, -6), QString::number(m));
    }
    if (highlighted_ >= 0 && finite(points_[std::size_t(highlighted_)])) {
        painter.setPen(QPen(highlightColor, 2));
        painter.drawEllipse(at(points_[std::size_t(highlighted_)]), 7, 7);
    }
    painter.restore();
    // What a ring means, when there is one.
    if (std::find(uncertain_.begin(), uncertain_.end(), 1) != uncertain_.end()) {
        bool const off = result_ && !result_->options.certify;
        QPointF const corner(area.right() - (off ? 200 : 170), area.top() + 14);
        drawMark(painter, corner, true);
        painter.setPen(QColor(60, 60, 60));
        painter.drawText(QRectF(corner.x() + 8, corner.y() - 8, 200, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         off ? "not certified (certification off)" : "not every figure certain");
    }
    if (stale_) {
        painter.setPen(QColor(176, 80, 0));
        painter.drawText(QRectF(area.left() + 6, area.bottom() - 22, area.width() - 12, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         "Stale: not the polynomial or settings now in the window");
    }
}

bool RootPlot::save(QString const& path, QSize size, QString* why) {
    auto refuse = [why](QString const& reason) {
        if (why) *why = reason;
        return false;
    };
    if (size.isEmpty()) size = this->size();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return refuse(file.errorString());
    // The same view at another size: the scale grows with the area, the center stays.
    QRectF const now = plotArea(width(), height()), then = plotArea(size.width(), size.height());
    double const viewScale = scale_;
    scale_ *= std::min(then.width() / now.width(), then.height() / now.height());
    bool written = false;
    QString reason;
    if (QFileInfo(path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle("Roots");
        QPainter painter;
        if (painter.begin(&svg)) {
            render(painter, size.width(), size.height());
            written = painter.end() && file.error() == QFileDevice::NoError;
        }
        reason = file.errorString();
    } else {
        QImage image(size, QImage::Format_ARGB32);
        QPainter painter(&image);
        render(painter, size.width(), size.height());
        painter.end();
        QByteArray const format = QFileInfo(path).suffix().isEmpty() ? "png" : QFileInfo(path).suffix().toLatin1();
        QImageWriter writer(&file, format);
        written = writer.write(image);
        reason = writer.errorString();
    }
    scale_ = viewScale;
    if (!written || !file.flush()) return refuse(reason.isEmpty() ? file.errorString() : reason);
    return true;
}

void RootPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    render(painter, width(), height());
    // Where the keys go: a frame in the highlight colour.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

}  // namespace korvel
