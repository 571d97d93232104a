#include "tools/storegen/StoreWriter.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "tools/storegen/CatalogueWriter.h"
#include "tools/storegen/ColumnKinds.h"
#include "tools/storegen/DatabaseHeader.h"
#include "tools/storegen/ExchangeSkeleton.h"
#include "tools/storegen/PageDamage.h"
#include "tools/storegen/RootHeader.h"
#include "tools/storegen/StreamingFileWriter.h"

namespace tarnwick::storegen {

namespace cat = ese::catalogue;
namespace pg = ese::page;

namespace {

// Object ids: the fixed ones of the skeleton stay, the rest are handed out from 4 upwards.
void assignObjectIds(StorePlan& plan) {
  std::set<std::uint32_t> used = {cat::kDatabaseObjectId, cat::kObjectId, cat::kShadowObjectId};
  for (const auto& t : plan.tables) {
    if (t.def.objectId.value) used.insert(t.def.objectId.value);
  }
  std::uint32_t next = cat::kFirstUserObjectId;
  auto take = [&]() {
    while (used.count(next)) ++next;
    used.insert(next);
    return ObjectId{next++};
  };
  for (auto& t : plan.tables) {
    if (!t.def.objectId.value) t.def.objectId = take();
  }
  for (auto& t : plan.tables) {
    if (t.def.hasLongValues && !t.def.longValueObjectId.value) t.def.longValueObjectId = take();
  }
}

void writeDatabaseRoot(DatabaseFile& file) {
  PageImage image(file.traits());
  image.reset(ObjectId{cat::kDatabaseObjectId}, pg::kFlagRoot | pg::kFlagLeaf);
  image.setExternalHeader(rootHeader(file.lastPage() + 1, PageNumber{0}));
  const PageNumber root{cat::kDatabaseRootPage};
  file.writePage(root, image.finish(root, {}, file.databaseTime()));
}

}  // namespace

StoreReport writeStore(const Scenario& scenario, const std::string& outDir) {
  std::filesystem::create_directories(outDir);
  const FormatTraits& traits = traitsOf(scenario.format);
  Rng rng(scenario.randomSeed);
  StorePlan plan;
  plan.format = scenario.format;
  addExchangeSkeleton(scenario, rng, plan);
  if (scenario.columnKindsTable) {
    auto index = std::make_shared<std::uint32_t>(0);
    plan.tables.push_back({columnKindsTable(), [index](Row& row) {
                             if (*index >= kColumnKindsRows) return false;
                             row = columnKindsRow((*index)++);
                             return true;
                           }});
  }
  for (const auto& extra : scenario.tables) {
    auto rows = std::make_shared<std::vector<Row>>(extra.rows);
    auto index = std::make_shared<std::size_t>(0);
    plan.tables.push_back({extra.def, [rows, index](Row& row) {
                             if (*index >= rows->size()) return false;
                             row = (*rows)[(*index)++];
                             return true;
                           }});
  }
  assignObjectIds(plan);

  StoreReport report;
  report.format = scenario.format;
  report.randomSeed = scenario.randomSeed;
  report.mailboxes = plan.mailboxes;
  report.folders = plan.folders;
  report.messages = plan.messages;
  report.edbPath = (std::filesystem::path(outDir) / "store.edb").string();
  DatabaseFile file(report.edbPath, traits);
  for (std::uint32_t p = 1; p <= cat::kRootPage; ++p) file.reserve(PageNumber{p});
  file.reserve(PageNumber{cat::kShadowRootPage});
  for (const auto& t : plan.tables) {
    if (t.def.rootPage.value) file.reserve(t.def.rootPage);
    if (t.def.hasLongValues && t.def.longValueRootPage.value) file.reserve(t.def.longValueRootPage);
  }
  TableDef catalogue = catalogueTableDef(traits, false, PageNumber{cat::kRootPage});
  TableDef shadow = catalogueTableDef(traits, true, PageNumber{cat::kShadowRootPage});
  for (auto& t : plan.tables) {
    if (!t.def.rootPage.value) t.def.rootPage = file.allocate();
    if (t.def.hasLongValues && !t.def.longValueRootPage.value) t.def.longValueRootPage = file.allocate();
  }
  // Derived tables take their columns from their template.
  for (auto& t : plan.tables) {
    if (t.def.templateName.empty()) continue;
    for (const auto& other : plan.tables) {
      if (other.def.name == t.def.templateName) t.def.columns = other.def.columns;
    }
  }

  std::vector<const TableDef*> all = {&catalogue, &shadow};
  for (const auto& t : plan.tables) all.push_back(&t.def);
  const CatalogueResult catalogueResult = writeCatalogue(file, all);
  auto describeCatalogue = [&](const TableDef& def, const TreeStats& stats) {
    WrittenTable w;
    w.name = def.name;
    w.objectId = def.objectId;
    w.rootPage = def.rootPage;
    w.records = stats.records;
    w.pages = stats.pages;
    w.levels = stats.levels;
    w.columns = def.columns;
    w.pageNumbers = stats.pageNumbers;
    return w;
  };
  report.tables.push_back(describeCatalogue(catalogue, catalogueResult.catalogue));
  report.tables.push_back(describeCatalogue(shadow, catalogueResult.shadow));

  for (auto& t : plan.tables) {
    TableWriter writer(file, t.def);
    Row row;
    while (t.rows(row)) writer.add(row);
    const TableResult result = writer.finish();
    WrittenTable w;
    w.name = t.def.name;
    w.objectId = t.def.objectId;
    w.rootPage = t.def.rootPage;
    w.records = result.table.records;
    w.pages = result.table.pages;
    w.levels = result.table.levels;
    w.hasLongValues = t.def.hasLongValues;
    w.longValueObjectId = t.def.longValueObjectId;
    w.longValueRootPage = t.def.longValueRootPage;
    w.longValues = result.longValueCount;
    w.longValuePages = result.longValues ? result.longValues->pages : 0;
    w.templateName = t.def.templateName;
    w.columns = t.def.columns;
    report.tables.push_back(std::move(w));
  }
  writeDatabaseRoot(file);
  const PageNumber last{file.lastPage()};
  file.extendTo(last);
  HeaderFields fields;
  fields.fileType = ese::header::kFileTypeDatabase;
  fields.randomSignature = static_cast<std::uint32_t>(rng.next());
  fields.databaseTime = file.databaseTime();
  std::uint32_t lastObject = 0;
  for (const auto& t : report.tables) lastObject = std::max({lastObject, t.objectId.value, t.longValueObjectId.value});
  fields.lastObjectId = lastObject;
  file.writeHeaderPages(buildHeaderPage(traits, fields));
  file.close();
  report.pageCount = last.value;
  report.fileSize = fileOffsetOf(last, traits.pageSize) + traits.pageSize;

  if (scenario.format == StoreFormat::Exchange2003) {
    report.stmPath = (std::filesystem::path(outDir) / "store.stm").string();
    HeaderFields stmFields = fields;
    stmFields.fileType = ese::header::kFileTypeStreaming;
    Rng noise(scenario.randomSeed ^ 0x5714015Eull);
    writeStreamingFile(report.stmPath, traits, buildHeaderPage(traits, stmFields), plan.messages, noise);
  }
  if (scenario.damage.any()) {
    report.damage = applyDamage(report.edbPath, traits, report.pageCount, scenario.damage, rng);
    if (report.damage.truncatedTo) report.fileSize = *report.damage.truncatedTo;
  }
  return report;
}

}  // namespace tarnwick::storegen
