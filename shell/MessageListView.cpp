#include "shell/MessageListView.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnwick::shell {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kSortRole = Qt::UserRole + 2;

// Sorts From and Subject without regard to case, Date by time and the mark columns by
// whether the mark is there.
class MessageRowItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    const QString a = data(column, kSortRole).toString();
    const QString b = other.data(column, kSortRole).toString();
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  }
};

}  // namespace

QIcon MessageListView::iconFor(int image) {
  const char* name = "mail";
  switch (image) {
    case 0: name = "calendar"; break;
    case 1: name = "contacts"; break;
    case 5: name = "journal"; break;
    case 7: name = "notes"; break;
    case 10: name = "tasks"; break;
    case 16: name = "attachment"; break;
    default: break;
  }
  QIcon icon;
  icon.addFile(QString(":/images/%1-16.png").arg(name), QSize(16, 16));
  icon.addFile(QString(":/images/%1-48.png").arg(name), QSize(48, 48));
  return icon;
}

QByteArray MessageListView::messageIdOf(const QTreeWidgetItem* row) {
  return row ? row->data(IconColumn, kIdRole).toByteArray() : QByteArray();
}

void MessageListView::setRows(const QList<Row>& rows) {
  rows_->setSortingEnabled(false);
  rows_->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(rows.size());
  for (const Row& row : rows) {
    auto* item = new MessageRowItem;
    item->setIcon(IconColumn, iconFor(row.icon));
    item->setData(IconColumn, kSortRole, QString::number(row.icon));
    item->setData(IconColumn, kIdRole, row.messageId);
    if (row.attachment) item->setIcon(AttachmentColumn, iconFor(16));
    item->setData(AttachmentColumn, kSortRole, row.attachment ? "1" : "0");
    item->setText(FromColumn, row.from);
    item->setData(FromColumn, kSortRole, row.from);
    item->setText(SubjectColumn, row.subject);
    item->setData(SubjectColumn, kSortRole, row.subject);
    item->setText(DateColumn, row.date);
    item->setData(DateColumn, kSortRole, row.sortDate);
    items.append(item);
  }
  rows_->addTopLevelItems(items);
  rows_->setSortingEnabled(true);
  rows_->sortByColumn(-1, Qt::AscendingOrder);
  applyFilter();
}

MessageListView::MessageListView(QWidget* parent) : QWidget(parent) {
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
  connect(filter_, &QLineEdit::textChanged, this, &MessageListView::applyFilter);
  // A click or the keyboard's selection chooses a row.
  connect(rows_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) { Q_EMIT rowChosen(row); });
  connect(rows_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (current && previous) Q_EMIT rowChosen(current);
  });
}

void MessageListView::clearRows() {
  rows_->clear();
  Q_EMIT rowCountChanged(0, 0);
}

int MessageListView::visibleRowCount() const {
  int shown = 0;
  for (int i = 0; i < rows_->topLevelItemCount(); ++i)
    if (!rows_->topLevelItem(i)->isHidden()) ++shown;
  return shown;
}

void MessageListView::applyFilter() {
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
