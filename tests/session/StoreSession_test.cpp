#include "session/StoreSession.h"
#include "platform/CodePage.h"
#include "platform/MessageSink.h"
#include "session/FolderLookup.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tarnwick::session {
namespace {

analysis::FolderId folderIdEndingIn(std::uint8_t last) {
  const std::array<std::uint8_t, 8> bytes{0, 0, 0, 0, 0, 0, 0, last};
  return analysis::FolderId::fromBytes(bytes);
}

// A mailbox "Mailbox - M" with the folders "Inbox", "a/b" and "a" (holding "b").
struct Folders {
  Folders() {
    tree.reset(u"store.edb");
    const auto mailbox = tree.insertFolder(0, u"Mailbox - M", analysis::FolderKind::Other);
    model.folders.addFolderNode(folderIdEndingIn(1), {}, u"Mailbox - M", analysis::FolderKind::Other, mailbox,
                                std::nullopt);
    add(folderIdEndingIn(2), folderIdEndingIn(1), u"Inbox", mailbox);
    add(folderIdEndingIn(3), folderIdEndingIn(1), u"a/b", mailbox);
    const auto a = add(folderIdEndingIn(4), folderIdEndingIn(1), u"a", mailbox);
    add(folderIdEndingIn(5), folderIdEndingIn(4), u"b", a);
    archive = add(folderIdEndingIn(0xC2), folderIdEndingIn(1), u"Archive", mailbox);
  }
  analysis::TreeItemHandle add(analysis::FolderId id, analysis::FolderId parent, std::u16string name,
                               analysis::TreeItemHandle under) {
    const auto item = tree.insertFolder(under, name, analysis::FolderKind::Other);
    model.folders.addFolderNode(id, parent, name, analysis::FolderKind::Other, item, std::nullopt);
    return item;
  }
  analysis::FolderId found(const std::string& idOrPath) const {
    const analysis::FolderNode* node = lookUpFolder(model, tree, idOrPath);
    return node ? node->id : analysis::FolderId{};
  }
  analysis::ScanModel model;
  analysis::FolderTreeModel tree;
  analysis::TreeItemHandle archive = 0;
};

TEST(FolderLookup, PathsAndIdsNameFoldersButNeverTheMailboxRoot) {
  const Folders f;
  EXPECT_EQ(f.found("Mailbox - M/Inbox"), folderIdEndingIn(2));
  EXPECT_EQ(f.found("Mailbox - M/Inbox/"), folderIdEndingIn(2));
  EXPECT_EQ(f.found("0000000000000002"), folderIdEndingIn(2));
  // An escaped slash stays inside the name; a bare one goes a level down.
  EXPECT_EQ(f.found("Mailbox - M/a\\/b"), folderIdEndingIn(3));
  EXPECT_EQ(f.found("Mailbox - M/a/b"), folderIdEndingIn(5));
  EXPECT_TRUE(f.found("Mailbox - M").isZero());
  EXPECT_TRUE(f.found("0000000000000001").isZero());
  EXPECT_TRUE(f.found("Inbox").isZero());
  EXPECT_EQ(folderNodeOfTreeItem(f.model, f.tree.children(f.tree.root()).front())->id, folderIdEndingIn(1));
  EXPECT_EQ(folderNodeOfTreeItem(f.model, 999), nullptr);
}

// What `scan` prints names a folder too: its id in either case, and its path as printed.
TEST(FolderLookup, TheIdAndPathThatScanPrintsNameTheFolder) {
  const Folders f;
  EXPECT_EQ(f.found("00000000000000c2"), folderIdEndingIn(0xC2));
  EXPECT_EQ(f.found("00000000000000C2"), folderIdEndingIn(0xC2));
  const std::string printed = utf16ToUtf8(f.tree.folderPath(f.archive));
  ASSERT_NE(printed.find("Archive"), std::string::npos);
  EXPECT_EQ(f.found(printed), folderIdEndingIn(0xC2));
}

TEST(StoreSessionFiles, AFailedOpenLeavesBothFilesClosedAndThePathsAsTheyWere) {
  const testing::ScratchDir scratch;
  const std::filesystem::path& dir = scratch.path();
  const std::string edb = (dir / "store.edb").string();
  std::ofstream(edb) << "not a store";
  StoreSession session;
  session.setPaths("earlier.edb", "earlier.stm");

  const store::PairOpenResult opened = session.openFiles(edb, (dir / "missing.stm").string());
  EXPECT_FALSE(opened.opened);
  EXPECT_EQ(opened.failedPath, (dir / "missing.stm").string());
  EXPECT_FALSE(session.files().database.IsOpen());
  EXPECT_EQ(session.databasePath(), "earlier.edb");

  // A file that opens but holds no store: the analysis ends early and nothing is loaded.
  StreamMessageSink sink(stderr);
  const StoreSession::Opened scanned = session.openAndScan(edb, "", sink);
  EXPECT_TRUE(scanned.files.opened);
  EXPECT_FALSE(scanned.ready());
  EXPECT_EQ(session.databasePath(), edb);
  EXPECT_EQ(session.loader(), nullptr);
  session.release();
}

}  // namespace
}  // namespace tarnwick::session
