#pragma once

#include "shell/IconSet.h"

#include <QList>
#include <QToolBar>

class QAction;

namespace tarnwick::shell {

// The main window's toolbar: one button per action, each with the normal, hot (under the
// pointer) and disabled pictures that IconSet derives from one bitmap.
class ToolBar : public QToolBar {
  Q_OBJECT

 public:
  explicit ToolBar(QWidget* parent = nullptr);

  // Gives the i-th action the i-th picture of `strip` (images of `width` x `height`) and
  // adds it as a button. False when the bitmap cannot be read or holds too few pictures.
  bool load(const QImage& strip, int width, int height, const QList<QAction*>& actions);

  const IconSet& images() const { return images_; }

 private:
  IconSet images_;
};

}  // namespace tarnwick::shell
