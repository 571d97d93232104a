#pragma once

#include "export/WriterInterfaces.h"

#include <memory>
#include <optional>
#include <string_view>

namespace tarnwick::exporter {

enum class OutputFormat { Pst, Eml, Mbox };

// "pst", "eml" or "mbox"; nothing for any other name.
std::optional<OutputFormat> parseOutputFormat(std::string_view name);
const char* outputFormatName(OutputFormat format);
std::unique_ptr<OutputFormatFactory> makeOutputFactory(OutputFormat format);

}  // namespace tarnwick::exporter
