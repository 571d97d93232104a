#include "shell/IconSet.h"

#include <cmath>

namespace tarnwick::shell {

QRgb IconSet::disabledPixel(QRgb pixel) {
  const double luma = 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
  const int grey = static_cast<int>(255.0 * std::sqrt(luma / 255.0));
  return qRgba(grey, grey, grey, qAlpha(pixel));
}

QRgb IconSet::hotPixel(QRgb pixel) {
  const auto deepen = [](int c) { return static_cast<int>(255.0 * std::pow(c / 255.0, 1.4)); };
  return qRgba(deepen(qRed(pixel)), deepen(qGreen(pixel)), deepen(qBlue(pixel)), qAlpha(pixel));
}

QImage IconSet::convert(const QImage& image, QRgb (*pixel)(QRgb)) {
  const bool alpha = image.hasAlphaChannel();
  QImage out = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if (!alpha && (line[x] | 0xFF000000) == kMaskColour) continue;
      line[x] = pixel(line[x]);
    }
  }
  return out;
}

bool IconSet::create(const QImage& strip, int width, int height) {
  if (strip.isNull() || width <= 0 || height <= 0 || strip.width() < width) return false;
  width_ = width;
  height_ = height;
  normal_.clear();
  hot_.clear();
  disabled_.clear();
  QImage source = strip;
  if (!source.hasAlphaChannel()) {
    // Bitmaps without alpha mark their background with the mask colour.
    source = source.convertToFormat(QImage::Format_ARGB32);
    QImage mask = strip.convertToFormat(QImage::Format_RGB32).createMaskFromColor(kMaskColour, Qt::MaskOutColor);
    source.setAlphaChannel(mask);
  }
  const QImage hot = convert(source, hotPixel);
  const QImage disabled = convert(source, disabledPixel);
  for (int x = 0; x + width <= strip.width(); x += width) {
    const QRect cell(x, 0, width, height);
    normal_.append(QPixmap::fromImage(source.copy(cell)));
    hot_.append(QPixmap::fromImage(hot.copy(cell)));
    disabled_.append(QPixmap::fromImage(disabled.copy(cell)));
  }
  return true;
}

}  // namespace tarnwick::shell
