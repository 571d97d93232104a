#include "shell/ToolBar.h"

#include <QAction>
#include <QIcon>

namespace tarnwick::shell {

ToolBar::ToolBar(QWidget* parent) : QToolBar(parent) {
  setObjectName("toolbar");
  setMovable(true);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
}

bool ToolBar::load(const QImage& strip, int width, int height, const QList<QAction*>& actions) {
  if (!images_.create(strip, width, height) || images_.normal().size() < actions.size()) return false;
  setIconSize(QSize(width, height));
  for (int i = 0; i < actions.size(); ++i) {
    QIcon icon;
    icon.addPixmap(images_.normal()[i], QIcon::Normal);
    icon.addPixmap(images_.hot()[i], QIcon::Active);
    icon.addPixmap(images_.disabled()[i], QIcon::Disabled);
    actions[i]->setIcon(icon);
    addAction(actions[i]);
  }
  return true;
}

}  // namespace tarnwick::shell
