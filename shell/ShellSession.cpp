#include "shell/ShellSession.h"

namespace tarnwick::shell {

void ShellSession::release() {
  model_.clearModel();
  store::CloseStoreFiles(files_);
}

}  // namespace tarnwick::shell
