#pragma once

#include "shell/MimeBody.h"

#include <QTextBrowser>

namespace tarnwick::shell {

// The preview's page view. It runs no scripts (it has no script engine) and loads nothing
// a message points at: no remote resources, no local files; only the inline parts of the
// message being shown. Links are not followed.
class SafeTextBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit SafeTextBrowser(QWidget* parent = nullptr);

  // The parts the page may show, by "cid:<id>" or Content-Location.
  void setInlineParts(std::map<std::string, InlinePart> parts) { parts_ = std::move(parts); }
  // Names the page asked for and was refused (for the tests).
  const QStringList& refused() const { return refused_; }

  QVariant loadResource(int type, const QUrl& name) override;

 private:
  std::map<std::string, InlinePart> parts_;
  QStringList refused_;
};

}  // namespace tarnwick::shell
