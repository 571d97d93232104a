// Heaps, BTHs, property and table contexts read back by the independent test reader.
#include <gtest/gtest.h>

#include "PstTestReader.h"
#include "TestSupport.h"
#include "pst/messaging/PropTags.h"
#include "pst/messaging/PstStore.h"

namespace tarnwick::pst {
namespace {

using testing::PstTestReader;
using testing::ScratchDir;

std::uint32_t messageOf(const PstTestReader& r, Nid folder) {
  for (const auto& [nid, n] : r.nodes())
    if (n.parent == folder.value && (nid & 0x1F) == static_cast<std::uint32_t>(NidType::NormalMessage)) return nid;
  return 0;
}

TEST(LtpStructures, ManyPropertiesNeedAnIndexLevelAndAllComeBack) {
  ScratchDir dir("ltp-many");
  Nid folder;
  {
    PstStore s(dir / "many.pst", "Many");
    folder = s.createFolder(s.topOfStore(), "F", "IPF.Note");
    MessageData m;
    m.properties.push_back(Property::unicode(propid::kMessageClass, "IPM.Note"));
    for (std::uint16_t i = 0; i < 700; ++i)
      m.properties.push_back(Property::int32(static_cast<std::uint16_t>(0x6000 + i), i * 7));
    s.addMessage(folder, std::move(m));
    s.close();
  }
  PstTestReader r(dir / "many.pst");
  auto props = r.nodeProperties(messageOf(r, folder));
  for (std::uint16_t i = 0; i < 700; ++i) {
    ASSERT_TRUE(props.count(static_cast<std::uint16_t>(0x6000 + i))) << i;
    EXPECT_EQ(PstTestReader::u32(props.at(static_cast<std::uint16_t>(0x6000 + i)).bytes), i * 7u);
  }
}

TEST(LtpStructures, LargeValuesGoToSubnodesAndHeapsSpanPages) {
  ScratchDir dir("ltp-large");
  Nid folder;
  std::string big(20000, 'x');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  std::vector<std::string> medium;
  for (int i = 0; i < 6; ++i) medium.push_back(std::string(1700, static_cast<char>('A' + i)));
  {
    PstStore s(dir / "large.pst", "Large");
    folder = s.createFolder(s.topOfStore(), "F", "IPF.Note");
    MessageData m;
    m.properties.push_back(Property::unicode(propid::kMessageClass, "IPM.Note"));
    m.properties.push_back(Property::unicode(propid::kBody, big));
    for (int i = 0; i < 6; ++i)
      m.properties.push_back(
          Property::unicode(static_cast<std::uint16_t>(0x6100 + i), medium[static_cast<std::size_t>(i)]));
    s.addMessage(folder, std::move(m));
    s.close();
  }
  PstTestReader r(dir / "large.pst");
  std::uint32_t nid = messageOf(r, folder);
  auto props = r.nodeProperties(nid);
  EXPECT_EQ(PstTestReader::utf16(props.at(propid::kBody).bytes), big);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(PstTestReader::utf16(props.at(static_cast<std::uint16_t>(0x6100 + i)).bytes),
              medium[static_cast<std::size_t>(i)]);
  // 6 x 3,400 bytes of heap cannot fit one block: the heap has several pages.
  int levels = 0;
  r.readData(r.nodes().at(nid).data, &levels);
  EXPECT_EQ(levels, 1);
  EXPECT_TRUE(r.verifyTrailers().empty());
}

}  // namespace
}  // namespace tarnwick::pst
