#include "shell/FolderTreeView.h"

#include "shell/FolderTreeBridge.h"
#include "shell/WorkState.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tarnwick::shell {

namespace {

constexpr int kHandleRole = Qt::UserRole + 1;

}  // namespace

QIcon FolderTreeView::iconFor(int image) {
  namespace I = analysis::TreeImage;
  const char* name = "folder";
  switch (image) {
    case I::kDatabase: name = "database"; break;
    case I::kCalendar: name = "calendar"; break;
    case I::kContacts: name = "contacts"; break;
    case I::kDeletedItems: name = "deleted"; break;
    case I::kDrafts: name = "drafts"; break;
    case I::kInbox: name = "inbox"; break;
    case I::kJournal: name = "journal"; break;
    case I::kJunkEmails: name = "junk"; break;
    case I::kNotes: name = "notes"; break;
    case I::kOutbox: name = "outbox"; break;
    case I::kSentItems: name = "sent"; break;
    case I::kTasks: name = "tasks"; break;
    case I::kSyncIssues: name = "syncissues"; break;
    default: break;
  }
  QIcon icon;
  icon.addFile(QString(":/images/%1-16.png").arg(name), QSize(16, 16));
  icon.addFile(QString(":/images/%1-48.png").arg(name), QSize(48, 48));
  return icon;
}

FolderTreeView::FolderTreeView(analysis::FolderTreeModel& model, WorkState& work, QWidget* parent)
    : QTreeWidget(parent), model_(model), work_(work) {
  setObjectName("folderTree");
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setIconSize(QSize(16, 16));
  setUniformRowHeights(true);
  bridge_ = new FolderTreeBridge(model_, this);
  // Queued even on the same thread would delay the user's own toggles; AutoConnection
  // queues what the analysis thread sends and delivers the user's at once.
  connect(bridge_, &FolderTreeBridge::resetDone, this, &FolderTreeView::onReset);
  connect(bridge_, &FolderTreeBridge::inserted, this, &FolderTreeView::onInserted);
  connect(bridge_, &FolderTreeBridge::sorted, this, &FolderTreeView::onSorted);
  connect(bridge_, &FolderTreeBridge::expanded, this, &FolderTreeView::onExpanded);
  connect(bridge_, &FolderTreeBridge::checked, this, &FolderTreeView::onChecked);
  connect(this, &QTreeWidget::itemChanged, this, &FolderTreeView::onItemChanged);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onCurrentChanged(current); });
}

FolderTreeView::~FolderTreeView() { delete bridge_; }

QTreeWidgetItem* FolderTreeView::itemFor(analysis::TreeItemHandle handle) const {
  const auto it = items_.find(handle);
  return it == items_.end() ? nullptr : it->second;
}

analysis::TreeItemHandle FolderTreeView::handleOf(const QTreeWidgetItem* item) const {
  return item ? item->data(0, kHandleRole).toUInt() : 0;
}

bool FolderTreeView::busy() const {
  const RunningWork work = work_.runningWork();
  return work.listFill || work.bodyLoad;
}

void FolderTreeView::onReset(quint32 root, const QString& text, int image) {
  ++updating_;
  clear();
  items_.clear();
  current_ = 0;
  if (root != 0) {
    auto* item = new QTreeWidgetItem(this, {text});
    item->setIcon(0, iconFor(image));
    item->setData(0, kHandleRole, root);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    items_[root] = item;
  }
  --updating_;
  Q_EMIT checksChanged();
}

void FolderTreeView::onInserted(quint32 handle, quint32 parent, const QString& text, int image) {
  QTreeWidgetItem* parentItem = itemFor(parent);
  if (!parentItem) return;
  ++updating_;
  auto* item = new QTreeWidgetItem(parentItem, {text});
  item->setIcon(0, iconFor(image));
  item->setData(0, kHandleRole, handle);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Unchecked);
  items_[handle] = item;
  --updating_;
}

void FolderTreeView::onSorted(quint32 parent, const QList<quint32>& children) {
  QTreeWidgetItem* parentItem = itemFor(parent);
  if (!parentItem) return;
  ++updating_;
  const bool wasExpanded = parentItem->isExpanded();
  const QList<QTreeWidgetItem*> taken = parentItem->takeChildren();
  Q_UNUSED(taken);
  for (quint32 child : children)
    if (QTreeWidgetItem* item = itemFor(child)) parentItem->addChild(item);
  parentItem->setExpanded(wasExpanded);
  --updating_;
}

void FolderTreeView::onExpanded(quint32 handle, bool isExpanded) {
  if (QTreeWidgetItem* item = itemFor(handle)) item->setExpanded(isExpanded);
}

void FolderTreeView::onChecked(quint32 handle, bool isChecked, bool bold) {
  QTreeWidgetItem* item = itemFor(handle);
  if (!item) return;
  ++updating_;
  item->setCheckState(0, isChecked ? Qt::Checked : Qt::Unchecked);
  QFont font = item->font(0);
  font.setBold(bold);
  item->setFont(0, font);
  --updating_;
  Q_EMIT checksChanged();
}

void FolderTreeView::onItemChanged(QTreeWidgetItem* item, int column) {
  if (updating_ > 0 || column != 0) return;
  const analysis::TreeItemHandle handle = handleOf(item);
  const bool wanted = item->checkState(0) == Qt::Checked;
  if (busy()) {
    // No toggles while the list fills: put the mark back.
    ++updating_;
    item->setCheckState(0, model_.isChecked(handle) ? Qt::Checked : Qt::Unchecked);
    --updating_;
    return;
  }
  if (wanted != model_.isChecked(handle)) model_.toggle(handle);
}

void FolderTreeView::onCurrentChanged(QTreeWidgetItem* current) {
  if (updating_ > 0 || !current) return;
  showFolder(handleOf(current));
}

void FolderTreeView::showFolder(analysis::TreeItemHandle handle) {
  if (handle == 0 || handle == current_) return;
  current_ = handle;
  Q_EMIT folderChosen(handle, QString::fromStdU16String(model_.mailboxNameFor(handle)));
}

void FolderTreeView::reselect(analysis::TreeItemHandle handle) {
  ++updating_;
  if (QTreeWidgetItem* item = itemFor(handle)) setCurrentItem(item);
  current_ = handle;
  --updating_;
}

void FolderTreeView::mousePressEvent(QMouseEvent* event) {
  if (busy()) {
    event->ignore();
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void FolderTreeView::keyPressEvent(QKeyEvent* event) {
  if (busy()) {
    event->ignore();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace tarnwick::shell
