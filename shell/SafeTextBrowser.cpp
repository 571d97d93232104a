#include "shell/SafeTextBrowser.h"

#include <QImage>
#include <QTextDocument>

namespace tarnwick::shell {

SafeTextBrowser::SafeTextBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

QVariant SafeTextBrowser::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::ImageResource) {
    const std::string key = name.toString().toStdString();
    if (const auto part = parts_.find(key); part != parts_.end()) {
      QImage image;
      if (image.loadFromData(part->second.bytes.data(), static_cast<int>(part->second.bytes.size()))) return image;
    }
  }
  refused_.append(name.toString());
  return {};
}

}  // namespace tarnwick::shell
