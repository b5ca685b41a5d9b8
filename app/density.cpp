#include "app/density.h"

#include <algorithm>
#include <cmath>

namespace korvel {

namespace {

bool finite(std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

// The pixel of z in w, or false when it lies outside.
bool pixelOf(std::complex<double> z, PlaneWindow const& w, int width, int height, std::size_t& at) {
    double const x = (z.real() - w.re0) / (w.re1 - w.re0) * width;
    double const y = (w.im1 - z.imag()) / (w.im1 - w.im0) * height;
    if (!(x >= 0 && x < width && y >= 0 && y < height)) return false;
    at = std::size_t(int(y)) * std::size_t(width) + std::size_t(int(x));
    return true;
}

// From black through violet and orange to pale yellow, t from 0 to 1.
void colour(double t, unsigned char* out) {
    static constexpr double stops[][3] = {{0, 0, 0}, {48, 12, 100}, {180, 40, 100}, {250, 150, 30}, {255, 255, 220}};
    double const at = std::clamp(t, 0.0, 1.0) * 4;
    int const k = std::min(int(at), 3);
    double const f = at - k;
    for (int c = 0; c < 3; ++c) out[c] = (unsigned char)std::lround(stops[k][c] + f * (stops[k + 1][c] - stops[k][c]));
}

}  // namespace

RootDensity::RootDensity(int width, int height, std::optional<PlaneWindow> window)
    : width_(width), height_(height), given_(window) {
    if (given_) counts_.assign(std::size_t(width) * std::size_t(height), 0);
}

void RootDensity::add(std::vector<std::complex<double>> const& roots) {
    for (auto const z : roots) {
        if (!finite(z)) continue;
        if (!given_) {
            roots_.push_back(z);
            continue;
        }
        std::size_t at = 0;
        if (pixelOf(z, *given_, width_, height_, at) && counts_[at] != UINT32_MAX) ++counts_[at];
    }
}

PlaneWindow RootDensity::window() const {
    if (given_) return *given_;
    if (roots_.empty()) return {};
    double re0 = roots_[0].real(), re1 = re0, im0 = roots_[0].imag(), im1 = im0;
    for (auto const z : roots_) {
        re0 = std::min(re0, z.real()), re1 = std::max(re1, z.real());
        im0 = std::min(im0, z.imag()), im1 = std::max(im1, z.imag());
    }
    // A margin of 5% each side, at least a little about a single point; then
    // the shorter side widened about its middle to square pixels.
    double const span = std::max({re1 - re0, im1 - im0, 1e-300 + 1e-12 * std::max(std::abs(re0), std::abs(im0))});
    double sx = std::max(re1 - re0, 1e-3 * span) * 1.1, sy = std::max(im1 - im0, 1e-3 * span) * 1.1;
    double const aspect = double(width_) / height_;
    if (sx / sy < aspect) sx = sy * aspect;
    else sy = sx / aspect;
    double const cx = (re0 + re1) / 2, cy = (im0 + im1) / 2;
    return {cx - sx / 2, cx + sx / 2, cy - sy / 2, cy + sy / 2};
}

std::vector<std::uint32_t> RootDensity::counts(PlaneWindow const& w, std::int64_t* drawn) const {
    if (given_) {
        if (drawn) {
            *drawn = 0;
            for (auto c : counts_) *drawn += c;
        }
        return counts_;
    }
    std::vector<std::uint32_t> out(std::size_t(width_) * std::size_t(height_), 0);
    std::int64_t n = 0;
    for (auto const z : roots_) {
        std::size_t at = 0;
        if (pixelOf(z, w, width_, height_, at) && out[at] != UINT32_MAX) ++out[at], ++n;
    }
    if (drawn) *drawn = n;
    return out;
}

std::int64_t RootDensity::drawn() const {
    std::int64_t n = 0;
    (void)counts(window(), &n);
    return n;
}

std::vector<unsigned char> RootDensity::rgb() const {
    std::vector<std::uint32_t> const c = counts(window(), nullptr);
    // Full brightness at the 99th percentile of the lit pixels, not at the
    // most: roots on the real axis, say, pile up on one row and would leave
    // everything else dark.
    std::vector<std::uint32_t> lit;
    for (auto v : c)
        if (v != 0) lit.push_back(v);
    std::uint32_t bright = 0;
    if (!lit.empty()) {
        auto const at = lit.begin() + std::ptrdiff_t(lit.size() * 99 / 100);
        std::nth_element(lit.begin(), at, lit.end());
        bright = *at;
    }
    std::vector<unsigned char> out(c.size() * 3, 0);
    double const scale = bright == 0 ? 0 : 1 / std::log1p(double(bright));
    for (std::size_t k = 0; k < c.size(); ++k)
        if (c[k] != 0) colour(0.15 + 0.85 * std::log1p(double(c[k])) * scale, &out[3 * k]);
    return out;
}

}  // namespace korvel
