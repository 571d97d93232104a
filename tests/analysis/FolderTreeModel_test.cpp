#include "analysis/FolderTreeModel.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tarnwick::analysis {
namespace {

// Database root, mailbox "Alice" with Inbox (Projects below it), Sent Items; mailbox "Bob".
struct Tree {
  Tree() {
    tree.reset(u"C:\\stores\\priv1.edb");
    alice = tree.insertFolder(0, u"Alice", analysis::FolderKind::Other);
    inbox = tree.insertFolder(alice, u"Inbox", analysis::FolderKind::Other);
    projects = tree.insertFolder(inbox, u"Projects", analysis::FolderKind::Other);
    sent = tree.insertFolder(alice, u"Sent Items", analysis::FolderKind::Other);
    bob = tree.insertFolder(0, u"Bob", analysis::FolderKind::Other);
  }
  FolderTreeModel tree;
  TreeItemHandle alice, inbox, projects, sent, bob;
};

TEST(FolderTreeModel, WellKnownImagesAndTheKindOverride) {
  Tree t;
  EXPECT_EQ(t.tree.image(t.tree.root()), TreeImage::kDatabase);
  EXPECT_EQ(t.tree.image(t.inbox), TreeImage::kInbox);
  EXPECT_EQ(t.tree.image(t.sent), TreeImage::kSentItems);
  EXPECT_EQ(t.tree.image(t.projects), TreeImage::kFolder);
  // A mailbox named like a well-known folder still gets the generic image.
  const TreeItemHandle inboxMailbox = t.tree.insertFolder(0, u"Inbox", analysis::FolderKind::Other);
  EXPECT_EQ(t.tree.image(inboxMailbox), TreeImage::kFolder);
  EXPECT_EQ(t.tree.parent(inboxMailbox), t.tree.root());
  EXPECT_EQ(wellKnownFolderImage(u"junk e-mails", analysis::FolderKind::Other), TreeImage::kJunkEmails);
  EXPECT_EQ(wellKnownFolderImage(u"Sync Issues", analysis::FolderKind::Other), TreeImage::kSyncIssues);
  EXPECT_EQ(wellKnownFolderImage(u"Inbox", FolderKind::Calendar), TreeImage::kCalendar);
  EXPECT_EQ(wellKnownFolderImage(u"Kalender", FolderKind::Contacts), TreeImage::kContacts);
  EXPECT_EQ(wellKnownFolderImage(u"Tasks", FolderKind::Tasks), TreeImage::kTasks);
  EXPECT_TRUE(t.tree.isExpanded(t.inbox));
}

TEST(FolderTreeModel, CheckingAMailboxChecksItsFoldersAndUncheckingOneLeavesItBold) {
  Tree t;
  t.tree.toggle(t.alice);
  for (auto item : {t.alice, t.inbox, t.projects, t.sent}) {
    EXPECT_TRUE(t.tree.isChecked(item));
    EXPECT_TRUE(t.tree.isBold(item));
  }
  EXPECT_FALSE(t.tree.isChecked(t.tree.root()));  // Bob is unchecked
  EXPECT_TRUE(t.tree.isBold(t.tree.root()));
  EXPECT_EQ(t.tree.checkedCount(), 4u);

  t.tree.toggle(t.projects);
  EXPECT_FALSE(t.tree.isChecked(t.projects));
  EXPECT_FALSE(t.tree.isChecked(t.inbox));
  EXPECT_FALSE(t.tree.isBold(t.inbox));  // no bold child left below Inbox
  EXPECT_FALSE(t.tree.isChecked(t.alice));
  EXPECT_TRUE(t.tree.isBold(t.alice));  // Sent Items is still checked
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", t.sent);
  EXPECT_EQ(t.tree.checkedList(), (std::vector<std::string>{hex}));
}

TEST(FolderTreeModel, CheckingTheLastUncheckedChildChecksTheParent) {
  Tree t;
  t.tree.toggle(t.inbox);
  EXPECT_FALSE(t.tree.isChecked(t.alice));
  t.tree.toggle(t.sent);
  EXPECT_TRUE(t.tree.isChecked(t.alice));
  t.tree.toggle(t.bob);
  EXPECT_TRUE(t.tree.isChecked(t.tree.root()));
}

TEST(FolderTreeModel, CheckedListHoldsEachItemOnceAsHex) {
  FolderTreeModel tree;
  tree.reset(u"db");
  std::vector<TreeItemHandle> items;
  for (int i = 0; i < 20; ++i)
    items.push_back(tree.insertFolder(0, u"m" + std::u16string(1, char16_t(u'a' + i)), analysis::FolderKind::Other));
  tree.toggle(items[16]);  // handle 0x12
  tree.toggle(items[16]);
  tree.toggle(items[16]);
  EXPECT_EQ(tree.checkedList(), (std::vector<std::string>{"12"}));
  tree.toggle(items[16]);
  EXPECT_TRUE(tree.checkedList().empty());  // nothing checked: Save stays disabled
}

TEST(FolderTreeModel, SelectionListPathsParentsBeforeChildren) {
  Tree t;
  t.tree.toggle(t.inbox);
  t.tree.toggle(t.bob);
  SelectionList list = t.tree.buildSelectionList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].path, u"Alice\\Inbox\\");
  EXPECT_EQ(list[0].treeItem, t.inbox);
  EXPECT_EQ(list[1].path, u"Alice\\Inbox\\Projects\\");
  EXPECT_EQ(list[2].path, u"Bob\\");
  // The root, when checked, gives an empty path.
  t.tree.toggle(t.tree.root());
  t.tree.toggle(t.tree.root());
  t.tree.toggle(t.tree.root());
  list = t.tree.buildSelectionList();
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list[0].path, u"");

  t.tree.clearSelection(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(t.tree.checkedCount(), 0u);
  EXPECT_FALSE(t.tree.isBold(t.tree.root()));
}

TEST(FolderTreeModel, PathsAreLimitedInDepthAndLength) {
  FolderTreeModel tree;
  tree.reset(u"db");
  TreeItemHandle item = tree.insertFolder(0, u"m", analysis::FolderKind::Other);
  for (int i = 0; i < 300; ++i) item = tree.insertFolder(item, u"abcdefgh", analysis::FolderKind::Other);
  const std::u16string path = tree.folderPath(item);
  EXPECT_EQ(path.size(), FolderTreeModel::kMaxPathLength);
  // The 200 levels nearest the item are kept: the mailbox itself is not among them.
  EXPECT_EQ(path.substr(0, 9), u"abcdefgh\\");
  // The mailbox and its 300 folders, and the root whose only child is now checked; a deep
  // chain needs no deep recursion.
  tree.toggle(tree.children(tree.root())[0]);
  EXPECT_EQ(tree.buildSelectionList().size(), 302u);
}

TEST(FolderTreeModel, FinishSortsMailboxesAndMailboxNames) {
  FolderTreeModel tree;
  tree.reset(u"db");
  const auto zed = tree.insertFolder(0, u"zed", analysis::FolderKind::Other);
  const auto amy = tree.insertFolder(0, u"Amy", analysis::FolderKind::Other);
  const auto inbox = tree.insertFolder(zed, u"Inbox", analysis::FolderKind::Other);
  tree.finish();
  EXPECT_EQ(tree.children(tree.root()), (std::vector<TreeItemHandle>{amy, zed}));
  EXPECT_TRUE(tree.isExpanded(tree.root()));
  EXPECT_EQ(tree.mailboxNameFor(inbox), u"zed\\");
  EXPECT_EQ(tree.mailboxNameFor(tree.root()), u"");
}

}  // namespace
}  // namespace tarnwick::analysis
