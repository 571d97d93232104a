#include "tools/storegen/RecordEncoder.h"

#include <algorithm>
#include <stdexcept>

#include "tools/storegen/ValueCompression.h"

namespace tarnwick::storegen {

namespace rec = ese::record;

RecordEncoder::RecordEncoder(const FormatTraits& traits, const TableDef& table) : traits_(traits), table_(table) {}

namespace {
const ColumnValue* find(const Row& row, std::uint16_t id) {
  for (const auto& v : row) {
    if (v.columnId == id) return &v;
  }
  return nullptr;
}
std::uint32_t storedFixedSize(const ColumnDef& c) {
  const std::uint32_t natural = fixedSizeOf(c.type);
  return natural ? natural : c.size;
}
}  // namespace

Bytes RecordEncoder::encode(const Row& row, LongValueSink* longValues, std::size_t maxSize) const {
  std::vector<Tagged> tagged;
  std::vector<std::size_t> separable;  // indexes of long values still in the record
  std::vector<std::size_t> forced;     // indexes of values that go to the long-value tree
  for (const auto& value : row) {
    const ColumnDef* c = table_.column(value.columnId);
    if (!c)
      throw std::invalid_argument("row names column " + std::to_string(value.columnId) + " that table " + table_.name +
                                  " lacks");
    if (c->kind() != ColumnKind::Tagged || value.values.empty()) continue;
    Tagged t{c->id, 0, false, {}};
    const std::uint8_t variable = isLongType(c->type) ? rec::kTaggedFlagVariableSize : 0;
    if (value.values.size() > 1) {
      t.flags = rec::kTaggedFlagMultiValue | variable;
      t.hasFlags = true;
      std::uint16_t at = static_cast<std::uint16_t>(2 * value.values.size());
      for (const auto& v : value.values) {
        append16(t.payload, at);
        at = static_cast<std::uint16_t>(at + v.size());
      }
      for (const auto& v : value.values) appendBytes(t.payload, v);
    } else {
      const Bytes& v = value.values.front();
      std::optional<Bytes> packed;
      if (value.prepacked && traits_.valueCompression) {
        packed = v;
      } else if (c->compressed && traits_.valueCompression) {
        const bool text = c->type == ColumnType::Text || c->type == ColumnType::LongText;
        const ValueKind kind = !text                                             ? ValueKind::Binary
                               : c->codePage == ese::catalogue::kCodePageUnicode ? ValueKind::UnicodeText
                                                                                 : ValueKind::AsciiText;
        packed = compressValue(v, kind, c->alwaysPack);
      }
      if (packed) {
        t.flags = rec::kTaggedFlagCompressed | variable;
        t.payload = std::move(*packed);
      } else {
        t.flags = variable;
        t.payload = v;
      }
      t.hasFlags = t.flags != 0;
      if (isLongType(c->type)) (value.forceLongValue ? forced : separable).push_back(tagged.size());
    }
    tagged.push_back(std::move(t));
  }
  auto separate = [&](std::size_t index) {
    Tagged& t = tagged[index];
    if (!longValues) throw std::logic_error("table " + table_.name + " has no long-value tree");
    const LongValueId id = longValues->store(t.payload);
    t.flags = static_cast<std::uint8_t>((t.flags & ~rec::kTaggedFlagCompressed) | rec::kTaggedFlagLongValue);
    t.hasFlags = true;
    t.payload.clear();
    append32(t.payload, id.value);
  };
  for (std::size_t i : forced) separate(i);
  std::vector<std::size_t> inRecord;
  for (std::size_t i : separable) {
    if (tagged[i].payload.size() > kSeparateAbove) {
      separate(i);
    } else {
      inRecord.push_back(i);
    }
  }
  Bytes record = assemble(row, tagged);
  while (record.size() > maxSize && !inRecord.empty()) {
    auto largest = std::max_element(inRecord.begin(), inRecord.end(), [&](std::size_t a, std::size_t b) {
      return tagged[a].payload.size() < tagged[b].payload.size();
    });
    separate(*largest);
    inRecord.erase(largest);
    record = assemble(row, tagged);
  }
  if (record.size() > maxSize) throw std::invalid_argument("a row of table " + table_.name + " does not fit a page");
  return record;
}

Bytes RecordEncoder::assemble(const Row& row, const std::vector<Tagged>& tagged) const {
  std::uint16_t lastFixed = 0;
  std::uint16_t lastVariable = rec::kFirstVariableId - 1;
  for (const auto& value : row) {
    if (value.values.empty()) continue;
    if (value.columnId < rec::kFirstVariableId)
      lastFixed = std::max(lastFixed, value.columnId);
    else if (value.columnId < rec::kFirstTaggedId)
      lastVariable = std::max(lastVariable, value.columnId);
  }
  Bytes out(4, 0);
  out[rec::kLastFixed] = static_cast<std::uint8_t>(lastFixed);
  out[rec::kLastVariable] = static_cast<std::uint8_t>(lastVariable);
  // Fixed columns 1..lastFixed, each in its full size; a NULL one keeps zeros.
  Bytes bitmap((lastFixed + 7) / 8, 0xFF);
  for (std::uint16_t id = 1; id <= lastFixed; ++id) {
    const ColumnDef* c = table_.column(id);
    if (!c) throw std::invalid_argument("table " + table_.name + " lacks fixed column " + std::to_string(id));
    const std::uint32_t size = storedFixedSize(*c);
    const ColumnValue* v = find(row, id);
    Bytes field(size, 0);
    if (v && !v->values.empty()) {
      const Bytes& bytes = v->values.front();
      std::copy_n(bytes.begin(), std::min<std::size_t>(size, bytes.size()), field.begin());
      bitmap[(id - 1) / 8] = static_cast<std::uint8_t>(bitmap[(id - 1) / 8] & ~(1u << ((id - 1) % 8)));
    }
    appendBytes(out, field);
  }
  appendBytes(out, bitmap);
  put16(out, rec::kVariableOffsetsAt, static_cast<std::uint16_t>(out.size()));
  // Variable columns: end offsets (with the NULL bit), then the data.
  Bytes variableData;
  for (std::uint16_t id = rec::kFirstVariableId; id <= lastVariable; ++id) {
    const ColumnValue* v = find(row, id);
    std::uint16_t end = static_cast<std::uint16_t>(variableData.size());
    if (v && !v->values.empty()) {
      appendBytes(variableData, v->values.front());
      end = static_cast<std::uint16_t>(variableData.size());
    } else {
      end = static_cast<std::uint16_t>(end | rec::kVariableNullBit);
    }
    append16(out, end);
  }
  appendBytes(out, variableData);
  // Tagged columns: the directory, then the values.
  const std::size_t directorySize = tagged.size() * 4;
  Bytes values;
  for (const auto& t : tagged) {
    const bool flagsByte = t.hasFlags || traits_.taggedFlagsAlways;
    std::uint16_t offset = static_cast<std::uint16_t>(directorySize + values.size());
    if (flagsByte && !traits_.taggedFlagsAlways) offset = static_cast<std::uint16_t>(offset | rec::kTaggedHasFlagsBit);
    append16(out, t.id);
    append16(out, offset);
    if (flagsByte) values.push_back(t.flags);
    appendBytes(values, t.payload);
  }
  appendBytes(out, values);
  return out;
}

}  // namespace tarnwick::storegen
