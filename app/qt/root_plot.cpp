#include "app/qt/root_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEngine>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>

#include "app/output.h"

namespace korvel {

namespace {

// Room for the tick labels left of and below the plot area, and a little
// elsewhere.
constexpr double leftRoom = 64, bottomRoom = 36, otherRoom = 12;
// Room around the roots when the view is fitted, as a share of their extent.
constexpr double fitMargin = 0.12;
// A click or hover finds a root within this many pixels.
constexpr double pickPixels = 6;
// Ticks at least this many pixels apart.
constexpr double tickPixels = 80;

QColor const rootColor(31, 95, 191);
QColor const uncertainColor(217, 110, 20);
QColor const highlightColor(200, 30, 30);

// x to about 64 bits from the top words of its mantissa, enough to draw it;
// NaN beyond the range of doubles.
double toDouble(fp const& x) {
    i32 const len = x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size;
    if (len == 0) return 0;
    i32 const low = std::max(len - 3, 0);
    double m = 0;
    for (i32 i = len - 1; i >= low; --i) m = m * 4294967296.0 + double(x.mantissa.words[i]);
    double const v = std::ldexp(m, int(std::clamp<i64>(i64(x.exponent) + 32 * i64(low), -4000, 4000)));
    if (!std::isfinite(v)) return std::numeric_limits<double>::quiet_NaN();
    return x.mantissa.size < 0 ? -v : v;
}

// The marks of a root: a filled dot, or a ring for a root not certain to the
// figures shown.
void drawMark(QPainter& painter, QPointF p, bool ring) {
    painter.setPen(ring ? QPen(uncertainColor, 1.6) : Qt::NoPen);
    painter.setBrush(ring ? QBrush(Qt::NoBrush) : QBrush(rootColor));
    painter.drawEllipse(p, ring ? 3.5 : 3.2, ring ? 3.5 : 3.2);
}

// A mark as a raster image: one antialiased image blitted per root is many
// times faster than stroking each.
QImage markImage(bool ring) {
    QImage mark(10, 10, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    drawMark(painter, QPointF(5, 5), ring);
    return mark;
}

bool finite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

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
    return QString::number(v, 'g', std::min(figures, 15));
}

}  // namespace

RootPlot::RootPlot(QWidget* parent) : QWidget(parent), marks_{markImage(false), markImage(true)} {
    setMouseTracking(true);
    setMinimumSize(240, 200);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip("");
}

void RootPlot::setResult(std::shared_ptr<SearchResult const> result) {
    result_ = std::move(result);
    points_.clear();
    uncertain_.clear();
    radii_.clear();
    for (auto const& r : result_->roots) {
        points_.emplace_back(toDouble(r.root.re), toDouble(r.root.im));
        uncertain_.push_back(r.certainFigures >= 0 && r.certainFigures < result_->shownFigures);
        radii_.push_back(r.radius < 0.0 ? -1.0 : toDouble(r.radius));
    }
    highlighted_ = -1;
    fit();
}

void RootPlot::clear() {
    result_.reset();
    points_.clear();
    uncertain_.clear();
    radii_.clear();
    highlighted_ = -1;
    fit();
}

bool RootPlot::drawnUncertain(int k) const { return k >= 0 && k < int(uncertain_.size()) && uncertain_[std::size_t(k)]; }

void RootPlot::setHighlighted(int k) {
    k = k >= 0 && k < int(points_.size()) ? k : -1;
    if (k == highlighted_) return;
    highlighted_ = k;
    update();
}

QRectF RootPlot::plotArea(int width, int height) const {
    return QRectF(leftRoom, otherRoom, std::max(1.0, width - leftRoom - otherRoom),
                  std::max(1.0, height - otherRoom - bottomRoom));
}

QPointF RootPlot::toWidget(QPointF z) const {
    QPointF const c = plotArea(width(), height()).center();
    return {c.x() + (z.x() - center_.x()) * scale_, c.y() - (z.y() - center_.y()) * scale_};
}

QPointF RootPlot::toPlane(QPointF p) const {
    QPointF const c = plotArea(width(), height()).center();
    return {center_.x() + (p.x() - c.x()) / scale_, center_.y() - (p.y() - c.y()) / scale_};
}

void RootPlot::fit() {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (QPointF const& z : points_) {
        if (!finite(z)) continue;
        x0 = std::min(x0, z.x());
        x1 = std::max(x1, z.x());
        y0 = std::min(y0, z.y());
        y1 = std::max(y1, z.y());
    }
    if (x0 > x1) x0 = y0 = -1.5, x1 = y1 = 1.5;  // nothing to show: the unit circle
    double const extent = std::max(x1 - x0, y1 - y0);
    // A single point, or roots on one line: a square about them.
    double const least = extent > 0 ? extent * 1e-3 : std::max({std::abs(x0), std::abs(y0), 1e-300}) * 0.2;
    double const w = std::max(x1 - x0, least), h = std::max(y1 - y0, least);
    QRectF const area = plotArea(width(), height());
    center_ = {(x0 + x1) / 2, (y0 + y1) / 2};
    scale_ = std::min(area.width() / (w * (1 + 2 * fitMargin)), area.height() / (h * (1 + 2 * fitMargin)));
    fitted_ = true;
    update();
}

int RootPlot::rootAt(QPointF p) const {
    int best = -1;
    double bestDistance = pickPixels * pickPixels;
    for (std::size_t k = 0; k < points_.size(); ++k) {
        if (!finite(points_[k])) continue;
        QPointF const d = toWidget(points_[k]) - p;
        double const distance = QPointF::dotProduct(d, d);
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = int(k);
        }
    }
    return best;
}

QString RootPlot::rootText(int k) const {
    if (!result_ || k < 0 || k >= int(result_->roots.size())) return {};
    RootReport const& r = result_->roots[std::size_t(k)];
    std::string text;
    appendValue(text, r.root, result_->shownFigures);
    text.resize(text.size() - 2);  // the blank line after it
    QString out = QString("Root %1: %2").arg(k + 1).arg(QString::fromStdString(text));
    if (!(r.radius < 0.0))
        out += "\nCertified radius: " + QString::fromStdString(OwnedText(fpToStr(r.radius, 3)).get());
    if (r.certainFigures >= 0) out += QString("\nCertain figures: %1").arg(r.certainFigures);
    return out;
}

void RootPlot::render(QPainter& painter, int width, int height) const {
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    // The view is kept in the widget's terms; another size keeps its center
    // and scale.
    QRectF const area = plotArea(width, height);
    drawAxes(painter, area);
    drawRoots(painter, area);
}

void RootPlot::drawAxes(QPainter& painter, QRectF area) const {
    QPointF const c = area.center();
    auto x = [&](double re) { return c.x() + (re - center_.x()) * scale_; };
    auto y = [&](double im) { return c.y() - (im - center_.y()) * scale_; };
    double const step = niceStep(tickPixels / scale_);
    double const left = center_.x() - area.width() / 2 / scale_, right = center_.x() + area.width() / 2 / scale_;
    double const bottom = center_.y() - area.height() / 2 / scale_, top = center_.y() + area.height() / 2 / scale_;

    QPen const grid(QColor(232, 232, 232), 1), text(QColor(60, 60, 60));
    painter.setFont(QFont(painter.font().family(), 8));
    for (double v : ticks(left, right, step)) {
        painter.setPen(grid);
        painter.drawLine(QPointF(x(v), area.top()), QPointF(x(v), area.bottom()));
        painter.setPen(text);
        painter.drawLine(QPointF(x(v), area.bottom()), QPointF(x(v), area.bottom() + 4));
        painter.drawText(QRectF(x(v) - 50, area.bottom() + 5, 100, 14), Qt::AlignHCenter | Qt::AlignTop,
                         tickLabel(v, step));
    }
    for (double v : ticks(bottom, top, step)) {
        painter.setPen(grid);
        painter.drawLine(QPointF(area.left(), y(v)), QPointF(area.right(), y(v)));
        painter.setPen(text);
        painter.drawLine(QPointF(area.left() - 4, y(v)), QPointF(area.left(), y(v)));
        painter.drawText(QRectF(0, y(v) - 7, area.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                         tickLabel(v, step));
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
    if (highlighted_ >= 0 && finite(points_[std::size_t(highlighted_)])) {
        painter.setPen(QPen(highlightColor, 2));
        painter.drawEllipse(at(points_[std::size_t(highlighted_)]), 7, 7);
    }
    painter.restore();
    // What a ring means, when there is one.
    if (std::find(uncertain_.begin(), uncertain_.end(), 1) != uncertain_.end()) {
        QPointF const corner(area.right() - 170, area.top() + 14);
        drawMark(painter, corner, true);
        painter.setPen(QColor(60, 60, 60));
        painter.drawText(QRectF(corner.x() + 8, corner.y() - 8, 160, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         "not every figure certain");
    }
}

bool RootPlot::save(QString const& path) {
    if (QFileInfo(path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size());
        svg.setViewBox(rect());
        svg.setTitle("Roots");
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        render(painter, width(), height());
        return painter.end();
    }
    QImage image(size(), QImage::Format_ARGB32);
    QPainter painter(&image);
    render(painter, width(), height());
    painter.end();
    return image.save(path);
}

void RootPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    render(painter, width(), height());
}

void RootPlot::resizeEvent(QResizeEvent*) {
    if (fitted_) fit();
}

void RootPlot::wheelEvent(QWheelEvent* event) {
    QPointF const p = event->position();
    QPointF const z = toPlane(p);
    scale_ *= std::pow(1.0015, event->angleDelta().y());
    scale_ = std::clamp(scale_, 1e-300, 1e300);
    QPointF const c = plotArea(width(), height()).center();
    center_ = {z.x() - (p.x() - c.x()) / scale_, z.y() + (p.y() - c.y()) / scale_};
    fitted_ = false;
    update();
    event->accept();
}

void RootPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressedAt_ = event->position();
    center0_ = center_;
    dragging_ = true;
}

void RootPlot::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        QPointF const d = event->position() - pressedAt_;
        center_ = {center0_.x() - d.x() / scale_, center0_.y() + d.y() / scale_};
        fitted_ = false;
        update();
        return;
    }
    showTooltip(event->position(), event->globalPosition().toPoint());
}

void RootPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    QPointF const d = event->position() - pressedAt_;
    if (QPointF::dotProduct(d, d) > 16) return;  // a drag, not a click
    int const k = rootAt(event->position());
    if (k < 0) return;
    setHighlighted(k);
    if (onRootClicked) onRootClicked(k);
}

void RootPlot::mouseDoubleClickEvent(QMouseEvent*) { fit(); }

void RootPlot::showTooltip(QPointF p, QPoint global) {
    int const k = rootAt(p);
    if (k < 0)
        QToolTip::hideText();
    else
        QToolTip::showText(global, rootText(k), this);
}

}  // namespace korvel
