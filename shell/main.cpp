#include "shell/CDunmereApp.h"

int main(int argc, char** argv) {
  tarnwick::shell::CDunmereApp app(argc, argv);
  if (!app.start()) return 2;
  return app.exec();
}
