#include "export/OutputFormats.h"

#include "export/PstOutput.h"
#include "export/TreeOutputs.h"

namespace tarnwick::exporter {

std::optional<OutputFormat> parseOutputFormat(std::string_view name) {
  if (name == "pst") return OutputFormat::Pst;
  if (name == "eml") return OutputFormat::Eml;
  if (name == "mbox") return OutputFormat::Mbox;
  return std::nullopt;
}

const char* outputFormatName(OutputFormat format) {
  switch (format) {
    case OutputFormat::Pst: return "pst";
    case OutputFormat::Eml: return "eml";
    case OutputFormat::Mbox: return "mbox";
  }
  return "pst";
}

std::unique_ptr<OutputFormatFactory> makeOutputFactory(OutputFormat format) {
  switch (format) {
    case OutputFormat::Pst: return std::make_unique<PstOutputFactory>();
    case OutputFormat::Eml: return std::make_unique<EmlOutputFactory>();
    case OutputFormat::Mbox: return std::make_unique<MboxOutputFactory>();
  }
  return nullptr;
}

}  // namespace tarnwick::exporter
