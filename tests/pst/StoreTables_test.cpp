// The store as Outlook walks it: node set, hierarchy and contents tables agreeing with
// the objects they point to, and content counts.
#include <gtest/gtest.h>

// One-line EXPECTs under an if read best without braces here.
#pragma GCC diagnostic ignored "-Wdangling-else"

#include <set>

#include "PstTestReader.h"
#include "TestSupport.h"
#include "pst/messaging/PropTags.h"
#include "tools/pstsample/SampleStore.h"

namespace tarnwick::pst {
namespace {

using testing::pstcheckProblems;
using testing::PstTestReader;
using testing::ScratchDir;

const std::filesystem::path kEmpty = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "pst" / "Empty.pst";

std::string text(const std::map<std::uint16_t, testing::RawProp>& props, std::uint16_t id) {
  auto it = props.find(id);
  return it == props.end() ? std::string() : PstTestReader::utf16(it->second.bytes);
}

constexpr std::uint32_t tagOf(std::uint16_t id, std::uint16_t type) {
  return (static_cast<std::uint32_t>(id) << 16) | type;
}

class StoreTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir("store-tables");
    pstsample::SampleOptions o;
    o.output = *dir_ / "sample.pst";
    o.workDir = *dir_ / "work";
    o.bulkMessages = 120;
    pstsample::writeSampleStore(o);
    reader_ = new PstTestReader(o.output);
    checkerReport_ = new std::string(pstcheckProblems(o.output));
  }
  static void TearDownTestSuite() {
    delete reader_;
    delete checkerReport_;
    delete dir_;
  }
  static ScratchDir* dir_;
  static PstTestReader* reader_;
  static std::string* checkerReport_;
};
std::string* StoreTables::checkerReport_ = nullptr;
ScratchDir* StoreTables::dir_ = nullptr;
PstTestReader* StoreTables::reader_ = nullptr;

TEST_F(StoreTables, HoldsEveryNodeOfOutlooksEmptyStore) {
  PstTestReader empty(kEmpty);
  for (const auto& [nid, node] : empty.nodes()) {
    ASSERT_TRUE(reader_->nodes().count(nid)) << std::hex << nid;
    EXPECT_EQ(reader_->nodes().at(nid).parent, node.parent) << std::hex << nid;
  }
  // Template and folder tables keep Outlook's column sets.
  for (std::uint32_t nid : {0x60Du, 0x60Eu, 0x60Fu, 0x610u, 0x671u, 0x692u, 0x802Eu, 0x808Fu})
    EXPECT_EQ(reader_->nodeTable(nid).columnTags, empty.nodeTable(nid).columnTags) << std::hex << nid;
  EXPECT_TRUE(reader_->verifyTrailers().empty());
}

TEST_F(StoreTables, IndependentCheckerFindsNothing) { EXPECT_EQ(*checkerReport_, ""); }

TEST_F(StoreTables, AllocationMapsMarkExactlyWhatIsUsed) {
  EXPECT_TRUE(reader_->unreferencedBlocks().empty());
  auto ours = reader_->verifyAllocationMaps();
  EXPECT_TRUE(ours.empty()) << ours.front();
  // The same rules hold for Outlook's own file.
  auto outlook = PstTestReader(kEmpty).verifyAllocationMaps();
  EXPECT_TRUE(outlook.empty()) << outlook.front();
}

TEST_F(StoreTables, HierarchyRowsAgreeWithFolderObjects) {
  int foldersChecked = 0;
  for (const auto& [nid, node] : reader_->nodes()) {
    if ((nid & 0x1F) != 0x02) continue;  // normal folders
    auto props = reader_->nodeProperties(nid);
    auto hierarchy = reader_->nodeTable((nid & ~0x1Fu) | 0x0D);
    std::set<std::uint32_t> children;
    for (const auto& [cnid, c] : reader_->nodes())
      if (c.parent == nid && cnid != nid && ((cnid & 0x1F) == 0x02 || (cnid & 0x1F) == 0x03)) children.insert(cnid);
    ASSERT_EQ(hierarchy.rows.size(), children.size()) << text(props, propid::kDisplayName);
    EXPECT_EQ(props.at(propid::kSubfolders).bytes.at(0) != 0, !children.empty());
    for (const auto& row : hierarchy.rows) {
      std::uint32_t child = PstTestReader::u32(row.at(0x67F20003).bytes);
      ASSERT_TRUE(children.count(child)) << std::hex << child;
      auto childProps = reader_->nodeProperties(child);
      EXPECT_EQ(PstTestReader::utf16(row.at(tagOf(propid::kDisplayName, 0x1F)).bytes),
                text(childProps, propid::kDisplayName));
      EXPECT_EQ(row.at(tagOf(propid::kContentCount, 3)).bytes, childProps.at(propid::kContentCount).bytes);
      if (childProps.count(propid::kContainerClass))
        EXPECT_EQ(PstTestReader::utf16(row.at(tagOf(propid::kContainerClass, 0x1F)).bytes),
                  text(childProps, propid::kContainerClass));
    }
    ++foldersChecked;
  }
  EXPECT_GE(foldersChecked, 15);
}

TEST_F(StoreTables, ContentsRowsAgreeWithMessagesAndCounts) {
  std::map<std::uint32_t, std::set<std::uint32_t>> messagesOf;
  for (const auto& [nid, node] : reader_->nodes())
    if ((nid & 0x1F) == 0x04) messagesOf[node.parent].insert(nid);
  int rowsChecked = 0;
  bool sawLargeTable = false;
  for (const auto& [nid, node] : reader_->nodes()) {
    if ((nid & 0x1F) != 0x02) continue;
    auto props = reader_->nodeProperties(nid);
    auto contents = reader_->nodeTable((nid & ~0x1Fu) | 0x0E);
    const auto& expected = messagesOf[nid];
    EXPECT_EQ(PstTestReader::u32(props.at(propid::kContentCount).bytes), expected.size());
    ASSERT_EQ(contents.rows.size(), expected.size());
    sawLargeTable = sawLargeTable || contents.rowsInSubnode;
    for (const auto& row : contents.rows) {
      std::uint32_t message = PstTestReader::u32(row.at(0x67F20003).bytes);
      ASSERT_TRUE(expected.count(message));
      auto mp = reader_->nodeProperties(message);
      EXPECT_EQ(PstTestReader::utf16(row.at(tagOf(propid::kSubject, 0x1F)).bytes), text(mp, propid::kSubject));
      EXPECT_EQ(PstTestReader::utf16(row.at(tagOf(propid::kMessageClass, 0x1F)).bytes),
                text(mp, propid::kMessageClass));
      EXPECT_EQ(row.at(tagOf(propid::kMessageFlags, 3)).bytes, mp.at(propid::kMessageFlags).bytes);
      EXPECT_EQ(row.at(tagOf(propid::kMessageSize, 3)).bytes, mp.at(propid::kMessageSize).bytes);
      ++rowsChecked;
    }
  }
  EXPECT_GE(rowsChecked, 130);
  EXPECT_TRUE(sawLargeTable) << "the bulk folder's contents table should need a subnode";
}

TEST_F(StoreTables, FolderClassesFollowItemKinds) {
  std::map<std::string, std::string> classes;
  for (const auto& [nid, node] : reader_->nodes()) {
    if ((nid & 0x1F) != 0x02) continue;
    auto props = reader_->nodeProperties(nid);
    classes[text(props, propid::kDisplayName)] = text(props, propid::kContainerClass);
  }
  EXPECT_EQ(classes["Inbox"], "IPF.Note");
  EXPECT_EQ(classes["Calendar"], "IPF.Appointment");
  EXPECT_EQ(classes["Contacts"], "IPF.Contact");
  EXPECT_EQ(classes["Tasks"], "IPF.Task");
  EXPECT_EQ(classes["Notes"], "IPF.StickyNote");
  EXPECT_EQ(classes["Journal"], "IPF.Journal");
}

TEST_F(StoreTables, RecipientAndAttachmentTablesMatchTheirObjects) {
  int checked = 0;
  for (const auto& [nid, node] : reader_->nodes()) {
    if ((nid & 0x1F) != 0x04) continue;
    auto subs = reader_->readSubnodes(node.sub);
    ASSERT_TRUE(subs.count(0x692));
    if (!subs.count(0x671)) continue;
    auto table = reader_->table(subs.at(0x671).first, subs.at(0x671).second);
    for (const auto& row : table.rows) {
      std::uint32_t attach = PstTestReader::u32(row.at(0x67F20003).bytes);
      ASSERT_TRUE(subs.count(attach));
      auto ap = reader_->properties(subs.at(attach).first, subs.at(attach).second);
      EXPECT_EQ(PstTestReader::utf16(row.at(tagOf(propid::kAttachFilename, 0x1F)).bytes),
                text(ap, propid::kAttachFilename));
      EXPECT_EQ(row.at(tagOf(propid::kAttachSize, 3)).bytes, ap.at(propid::kAttachSize).bytes);
      EXPECT_EQ(ap.at(propid::kAttachDataBinary).bytes.size(), PstTestReader::u32(ap.at(propid::kAttachSize).bytes));
      ++checked;
    }
  }
  EXPECT_EQ(checked, 3);
}

}  // namespace
}  // namespace tarnwick::pst
