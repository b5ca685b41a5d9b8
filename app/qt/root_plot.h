// The roots as points in the complex plane: axes with ticks and labels, the
// unit circle, zoom about the pointer, panning, a tooltip per root, and one
// highlighted root shared with the output text.
#pragma once

#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QStringList>
#include <QWidget>

#include "app/result.h"

class QPainter;

namespace korvel {

class RootPlot : public QWidget {
public:
    explicit RootPlot(QWidget* parent = nullptr);

    // Shows the roots of result (kept for the tooltips) and fits them.
    void setResult(std::shared_ptr<SearchResult const> result);
    // Shows many roots (a batch's) as a density: the number on each pixel on
    // a log scale, drawn again for each view; fits them.
    void setDensity(std::shared_ptr<std::vector<std::complex<double>> const> roots);
    std::vector<std::complex<double>> const* density() const { return density_.get(); }
    void clear();

    // Root k as a point of the plane (re, im); NaN where it is beyond doubles.
    std::vector<QPointF> const& points() const { return points_; }
    // Where a point of the plane is drawn in the widget, and the reverse.
    QPointF toWidget(QPointF z) const;
    QPointF toPlane(QPointF p) const;
    // The root drawn within a few pixels of p, the nearest; -1 for none.
    int rootAt(QPointF p) const;
    // True where root k's figures are not all certain, or not certified at all.
    bool drawnUncertain(int k) const;
    // Stale roots (not of the polynomial or settings in the window now) are drawn faded, with a caption.
    void setStale(bool stale);
    bool stale() const { return stale_; }

    int highlighted() const { return highlighted_; }
    void setHighlighted(int k);
    // Scales the view so that every root is in it with a margin.
    void fit();
    // Zooms by factor about the widget point about, which stays where it is;
    // no further in than largestScale().
    void zoom(double factor, QPointF about);
    // Pixels per unit at the deepest zoom about the view's center: beyond it
    // doubles no longer tell neighbouring pixels apart.
    double largestScale() const;
    double scale() const { return scale_; }
    // The tooltip text of root k: the root to the figures shown, and its
    // certified radius when there is one.
    QString rootText(int k) const;

    // The ticks of one axis in the area and their labels: each tick's value,
    // or, deep in, its offset from base, which the plot writes once.
    struct Axis {
        std::vector<double> at;
        QStringList labels;
        QString base;
    };
    Axis axis(Qt::Orientation orientation, QRectF area) const;
    Axis axis(Qt::Orientation orientation) const { return axis(orientation, plotArea(width(), height())); }

    // Called with k when root k is clicked.
    std::function<void(int)> onRootClicked;

    // The picture as the widget shows it, at size (the widget's when empty),
    // the view scaled with it; the format from the file's suffix (.svg,
    // otherwise a raster image such as .png). False with the system's reason
    // in why when the file cannot be written.
    bool save(QString const& path, QSize size = {}, QString* why = nullptr);
    // Draws the whole plot into painter over a width x height area.
    void render(QPainter& painter, int width, int height) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // +/- zoom, the arrows pan, 0 fits, n and p step through the roots.
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QRectF plotArea(int width, int height) const;
    void drawAxes(QPainter& painter, QRectF area) const;
    void drawRoots(QPainter& painter, QRectF area) const;
    void drawDensity(QPainter& painter, QRectF area) const;
    void showTooltip(QPointF p, QPoint global);
    // A root's mark as a raster image: one antialiased image blitted per root
    // is many times faster than stroking each.
    static QImage markImage(bool ring);
    static bool finite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

    QImage marks_[2];  // a root as a raster draws it: certain, not certain
    std::shared_ptr<SearchResult const> result_;
    std::shared_ptr<std::vector<std::complex<double>> const> density_;
    std::vector<QPointF> points_;
    std::vector<char> uncertain_;
    std::vector<double> radii_;  // in the plane; negative when unknown
    QPointF center_{0, 0};       // the point of the plane at the middle of the plot area
    double scale_ = 100;         // pixels per unit
    int highlighted_ = -1;
    bool fitted_ = false;        // fit again when the size changes, until the user moves the view
    QPointF pressedAt_;
    QPointF center0_;
    bool dragging_ = false;
    bool stale_ = false;
};

}  // namespace korvel
