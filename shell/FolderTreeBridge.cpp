#include "shell/FolderTreeBridge.h"

namespace tarnwick::shell {

FolderTreeBridge::FolderTreeBridge(analysis::FolderTreeModel& model, QObject* parent) : QObject(parent), model_(model) {
  model_.setListener(this);
}

FolderTreeBridge::~FolderTreeBridge() { model_.setListener(nullptr); }

void FolderTreeBridge::treeReset(analysis::TreeItemHandle root) {
  const bool live = model_.contains(root);
  Q_EMIT resetDone(root, live ? QString::fromStdU16String(model_.text(root)) : QString(),
                   live ? model_.image(root) : analysis::TreeImage::kDatabase);
}

void FolderTreeBridge::itemInserted(analysis::TreeItemHandle item, analysis::TreeItemHandle parent) {
  Q_EMIT inserted(item, parent, QString::fromStdU16String(model_.text(item)), model_.image(item));
}

void FolderTreeBridge::childrenSorted(analysis::TreeItemHandle parent) {
  QList<quint32> order;
  for (analysis::TreeItemHandle child : model_.children(parent)) order.append(child);
  Q_EMIT sorted(parent, order);
}

void FolderTreeBridge::expansionChanged(analysis::TreeItemHandle item, bool isExpanded) {
  Q_EMIT expanded(item, isExpanded);
}

void FolderTreeBridge::checkChanged(analysis::TreeItemHandle item, bool isChecked, bool bold) {
  Q_EMIT checked(item, isChecked, bold);
}

}  // namespace tarnwick::shell
