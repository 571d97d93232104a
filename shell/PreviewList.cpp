#include "shell/PreviewList.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnwick::shell {

PreviewList::PreviewList(QWidget* parent) : QWidget(parent) {
  setObjectName("messageList");
  filter_ = new QLineEdit(this);
  filter_->setObjectName("filter");
  filter_->setPlaceholderText("Filter by subject or sender");
  filter_->setClearButtonEnabled(true);
  rows_ = new QTreeWidget(this);
  rows_->setObjectName("rows");
  rows_->setRootIsDecorated(false);
  rows_->setUniformRowHeights(true);
  rows_->setAllColumnsShowFocus(true);
  rows_->setSortingEnabled(true);
  rows_->setHeaderLabels({"", "", "From", "Subject", "Date"});
  rows_->headerItem()->setIcon(IconColumn, QIcon(":/images/mail-16.png"));
  rows_->headerItem()->setIcon(AttachmentColumn, QIcon(":/images/attachment-16.png"));
  rows_->setColumnWidth(IconColumn, 34);
  rows_->setColumnWidth(AttachmentColumn, 34);
  rows_->setColumnWidth(FromColumn, 240);
  rows_->setColumnWidth(SubjectColumn, 420);
  rows_->setColumnWidth(DateColumn, 200);
  rows_->sortByColumn(-1, Qt::AscendingOrder);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(filter_);
  layout->addWidget(rows_);
  connect(filter_, &QLineEdit::textChanged, this, &PreviewList::applyFilter);
}

void PreviewList::clearRows() {
  rows_->clear();
  Q_EMIT rowCountChanged(0, 0);
}

int PreviewList::visibleRowCount() const {
  int shown = 0;
  for (int i = 0; i < rows_->topLevelItemCount(); ++i)
    if (!rows_->topLevelItem(i)->isHidden()) ++shown;
  return shown;
}

void PreviewList::applyFilter() {
  const QString needle = filter_->text().trimmed();
  for (int i = 0; i < rows_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = rows_->topLevelItem(i);
    const bool match = needle.isEmpty() || row->text(FromColumn).contains(needle, Qt::CaseInsensitive) ||
                       row->text(SubjectColumn).contains(needle, Qt::CaseInsensitive);
    row->setHidden(!match);
  }
  Q_EMIT rowCountChanged(visibleRowCount(), rows_->topLevelItemCount());
}

}  // namespace tarnwick::shell
