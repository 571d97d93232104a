#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>

namespace tarnwick::shell {

// The three image lists of a toolbar, all made from one colour bitmap: the normal images
// as they are, the disabled ones in grey and the hot ones with deepened colours.
class IconSet {
 public:
  // Colour of the pixels that stay as they are in bitmaps without an alpha channel.
  static constexpr QRgb kMaskColour = 0xFF0C0C0C;

  // Cuts `strip` into images of `width` x `height`, left to right, and derives the hot
  // and disabled lists. False when the strip is null or narrower than one image.
  bool create(const QImage& strip, int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const QList<QPixmap>& normal() const { return normal_; }
  const QList<QPixmap>& hot() const { return hot_; }
  const QList<QPixmap>& disabled() const { return disabled_; }

  // One pixel of the disabled image: each colour channel becomes
  // 255 * sqrt((0.299 R + 0.587 G + 0.114 B) / 255), truncated; alpha stays.
  static QRgb disabledPixel(QRgb pixel);
  // One pixel of the hot image: each colour channel c becomes 255 * (c / 255)^1.4, truncated.
  static QRgb hotPixel(QRgb pixel);
  // The whole image converted pixel by pixel; without an alpha channel, pixels of the mask
  // colour are kept as they are.
  static QImage convert(const QImage& image, QRgb (*pixel)(QRgb));

 private:
  int width_ = -1;
  int height_ = -1;
  QList<QPixmap> normal_;
  QList<QPixmap> hot_;
  QList<QPixmap> disabled_;
};

}  // namespace tarnwick::shell
