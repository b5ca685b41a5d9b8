// A picture of many roots: how many fall on each pixel, on a log scale.
#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

// The part of the plane a picture shows: real parts re0..re1, imaginary im0..im1.
struct PlaneWindow {
    double re0 = -1, re1 = 1, im0 = -1, im1 = 1;
};

class RootDensity {
public:
    // Without a window the picture fits every root it is given, which it keeps
    // until then (16 bytes a root); with one it only counts.
    RootDensity(int width, int height, std::optional<PlaneWindow> window = std::nullopt);

    // Roots that are not finite, or fall outside a given window, are not drawn.
    void add(std::vector<std::complex<double>> const& roots);

    // The window shown: the one given, or the fit of the roots so far (their
    // bounding box with a margin, widened so that pixels are square).
    PlaneWindow window() const;
    // RGB bytes, row by row from the top (the largest imaginary part): black
    // where no root fell, then from dark to light as log(1 + count) grows.
    std::vector<unsigned char> rgb() const;
    std::int64_t drawn() const;  // roots on the picture

    int width() const { return width_; }
    int height() const { return height_; }

private:
    std::vector<std::uint32_t> counts(PlaneWindow const& w, std::int64_t* drawn) const;

    int width_, height_;
    std::optional<PlaneWindow> given_;
    std::vector<std::uint32_t> counts_;        // with a given window
    std::vector<std::complex<double>> roots_;  // without one
};

// Writes rgb (width x height, as RootDensity::rgb) as a PNG file; false with
// the reason in error.
bool writePng(std::string const& path, int width, int height, std::vector<unsigned char> const& rgb,
              std::string& error);

}  // namespace korvel
