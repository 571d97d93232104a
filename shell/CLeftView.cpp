#include "shell/CLeftView.h"

#include <QHeaderView>

namespace tarnwick::shell {

CLeftView::CLeftView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("folderTree");
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setIconSize(QSize(16, 16));
}

}  // namespace tarnwick::shell
