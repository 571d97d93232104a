#include "platform/FileSizeLimit.h"
#include "shell/TarnwickApplication.h"

int main(int argc, char** argv) {
  tarnwick::failWritesBeyondTheFileSizeLimit();
  tarnwick::shell::TarnwickApplication app(argc, argv);
  if (!app.start()) return 2;
  return app.exec();
}
