// The density picture as a PNG file, through libpng's simplified interface.
#include <cerrno>
#include <cstring>

#include <png.h>

#include "app/density.h"

namespace korvel {

bool writePng(std::string const& path, int width, int height, std::vector<unsigned char> const& rgb,
              std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    errno = 0;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0) return true;
    // libpng's own message, with the system's reason when a file operation failed.
    error = image.message;
    if (errno != 0) error = std::strerror(errno);
    png_image_free(&image);
    return false;
}

}  // namespace korvel
