// The plot's data and view: the roots as points, fitting, zoom and pan, what
// the pointer is over.
#include "app/qt/root_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QKeyEvent>
#include <QMouseEvent>
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
// The figures of each part of a root in its tooltip.
constexpr int tooltipFigures = 20;
// A wheel click of 120 zooms by 1.0015^120, about 1.2; a key by as much.
constexpr double wheelBase = 1.0015, keyZoom = 1.1972;
// The deepest zoom: a pixel at least 2^8 units in the last place of the view's
// coordinates, so that the point under the pointer, the ticks and the roots'
// places are still told apart by doubles.
constexpr double finestPixel = 0x1p-44;

}  // namespace

RootPlot::RootPlot(QWidget* parent) : QWidget(parent), marks_{markImage(false), markImage(true)} {
    setMouseTracking(true);
    setMinimumSize(240, 200);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip("");
}

void RootPlot::setResult(std::shared_ptr<SearchResult const> result) {
    result_ = std::move(result);
    density_.reset();
    points_.clear();
    uncertain_.clear();
    radii_.clear();
    for (auto const& r : result_->roots) {
        points_.emplace_back(toDouble(r.root.re), toDouble(r.root.im));
        // With certification off no figure is vouched for, however small the disk.
        uncertain_.push_back(!result_->options.certify || r.certainFigures < result_->options.shownFigures);
        double const radius = r.radius ? toDouble(*r.radius) : -1.0;
        radii_.push_back(std::isfinite(radius) ? radius : -1.0);  // beyond doubles: not drawn
    }
    highlighted_ = -1;
    fit();
}

void RootPlot::setDensity(std::shared_ptr<std::vector<std::complex<double>> const> roots) {
    clear();
    density_ = std::move(roots);
    fit();
}

void RootPlot::clear() {
    result_.reset();
    density_.reset();
    points_.clear();
    uncertain_.clear();
    radii_.clear();
    highlighted_ = -1;
    fit();
}

bool RootPlot::drawnUncertain(int k) const { return k >= 0 && k < int(uncertain_.size()) && uncertain_[std::size_t(k)]; }

void RootPlot::setStale(bool stale) {
    if (stale == stale_) return;
    stale_ = stale;
    update();
}

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
    auto include = [&](double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    };
    for (QPointF const& z : points_) include(z.x(), z.y());
    if (density_)
        for (auto const& z : *density_) include(z.real(), z.imag());
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
    FoundRoot const& r = result_->roots[std::size_t(k)];
    // At most tooltipFigures figures a part, with "…" where more are shown in
    // the output: a root of 100000 figures would be wider than the screen.
    int const shown = result_->options.shownFigures;
    auto part = [shown](fp const& x) {
        std::string text = toString(x, std::min(shown, tooltipFigures));
        std::size_t const end = std::min(text.find_first_of("eE"), text.size());
        std::size_t const lead = std::min(text.find_first_of("123456789"), end);
        auto const figures = std::count_if(text.begin() + std::ptrdiff_t(lead), text.begin() + std::ptrdiff_t(end), isDigit);
        if (shown > tooltipFigures && figures >= tooltipFigures) text.insert(end, "…");
        return QString::fromStdString(text);
    };
    QString out = QString("Root %1: %2 , %3").arg(k + 1).arg(part(r.root.re), part(r.root.im));
    if (r.radius) out += "\nCertified radius: " + QString::fromStdString(OwnedText(fpToStr(*r.radius, 3)).get());
    if (result_->options.certify)
        out += QString("\nCertain figures: %1").arg(r.certainFigures);
    else
        out += "\nNot certified (certification is off)";
    if (r.multiplicity > 1) out += QString("\nMultiplicity: %1 (exact)").arg(r.multiplicity);
    return out;
}

void RootPlot::resizeEvent(QResizeEvent*) {
    if (fitted_) fit();
}

double RootPlot::largestScale() const {
    double const reach = std::max({std::abs(center_.x()), std::abs(center_.y()), 1e-280});
    return std::min(1e300, 1 / (reach * finestPixel));
}

void RootPlot::zoom(double factor, QPointF about) {
    QPointF const z = toPlane(about);
    double const scale = std::clamp(scale_ * factor, 1e-300, largestScale());
    if (scale == scale_) return;
    scale_ = scale;
    QPointF const c = plotArea(width(), height()).center();
    center_ = {z.x() - (about.x() - c.x()) / scale_, z.y() + (about.y() - c.y()) / scale_};
    fitted_ = false;
    update();
}

void RootPlot::wheelEvent(QWheelEvent* event) {
    // Over a root, the root itself stays put: the pointer is seldom on its
    // exact pixel, and a point 2 pixels off is 400 off after 30 clicks.
    int const k = rootAt(event->position());
    QPointF const about = k >= 0 ? toWidget(points_[std::size_t(k)]) : event->position();
    zoom(std::pow(wheelBase, event->angleDelta().y()), about);
    event->accept();
}

void RootPlot::keyPressEvent(QKeyEvent* event) {
    QRectF const area = plotArea(width(), height());
    auto pan = [&](double dx, double dy) {
        center_ += QPointF(dx * area.width(), dy * area.height()) / scale_;
        fitted_ = false;
        update();
    };
    int const n = int(points_.size());
    auto step = [&](int by) {
        if (n == 0) return;
        int const k = highlighted_ < 0 ? (by > 0 ? 0 : n - 1) : (highlighted_ + by + n) % n;
        setHighlighted(k);
        if (finite(points_[std::size_t(k)]) && !area.contains(toWidget(points_[std::size_t(k)]))) {
            center_ = points_[std::size_t(k)];
            fitted_ = false;
            update();
        }
        if (onRootClicked) onRootClicked(k);
    };
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoom(keyZoom, area.center()); break;
    case Qt::Key_Minus: zoom(1 / keyZoom, area.center()); break;
    case Qt::Key_Left: pan(-0.1, 0); break;
    case Qt::Key_Right: pan(0.1, 0); break;
    case Qt::Key_Up: pan(0, 0.1); break;
    case Qt::Key_Down: pan(0, -0.1); break;
    case Qt::Key_0: fit(); break;
    case Qt::Key_N: step(+1); break;
    case Qt::Key_P: step(-1); break;
    default: QWidget::keyPressEvent(event); return;
    }
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
