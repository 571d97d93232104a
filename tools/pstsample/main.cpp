#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>

#include "pst/PstError.h"
#include "tools/pstsample/SampleStore.h"

int main(int argc, char** argv) {
  CLI::App app{"Writes a sample PST store with folders and items of every kind (for tests)."};
  tarnwick::pstsample::SampleOptions options;
  std::string manifestPath;
  app.add_option("output", options.output, "PST file to create (must not exist)")->required();
  app.add_option("--work-dir", options.workDir, "folder for the attachment files")->required();
  app.add_option("--bulk", options.bulkMessages, "number of extra small messages");
  app.add_option("--large-attachment", options.largeAttachmentBytes, "size in bytes of one large attachment");
  app.add_option("--many-attachments", options.manyAttachments, "number of attachments of one message");
  app.add_option("--manifest", manifestPath, "JSON file describing what was written");
  CLI11_PARSE(app, argc, argv);
  try {
    auto manifest = tarnwick::pstsample::writeSampleStore(options);
    if (!manifestPath.empty()) std::ofstream(manifestPath) << manifest.dump(2) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "tarnwick-pstsample: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
